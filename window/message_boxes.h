// The program's message boxes: the start failure and the outcome of a save.
#pragma once

#include <windows.h>

#include "hosts_failure.h"
#include "save.h"

namespace hostline::window {

// Shown before any window exists, so it has no owner and gets its own taskbar button.
void ShowStartFailure(const HostsFailure& failure);

// For the rare start that fails for a reason other than the hosts file (no window could be made).
void ShowSystemFailure(DWORD code);

// Instead of handing over to another copy that cannot save.
void ShowOtherCopyCannotSave();

// The box that tells the outcome of a save of `choice`.
void ShowSaveOutcome(HWND owner, LineChoice choice, const win32::SaveOutcome& outcome);

}  // namespace hostline::window
