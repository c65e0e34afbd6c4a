// The program's three messages to the user, in Chinese: the start failure and the two outcomes
// of a save.
#pragma once

#include <windows.h>

#include <string>

#include "hosts_file.h"
#include "hosts_win32.h"

namespace hostline::window {

std::wstring StartFailureText(const win32::FileFailure& failure);

// Shown before any window exists, so it has no owner and gets its own taskbar button.
void ShowStartFailure(const win32::FileFailure& failure);

// For the rare start that fails for a reason other than the hosts file (no window could be made).
void ShowSystemFailure(DWORD code);

void ShowSaveOutcome(HWND owner, SaveOutcome outcome);

}  // namespace hostline::window
