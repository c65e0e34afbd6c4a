// One copy at a time. Two copies started one after the other would open exactly on top of each
// other, the one behind showing the file as it was when it started; a second start brings the
// first copy's window, or the message it shows, to the front and ends.
#pragma once

#include "unique_handle.h"

namespace hostline::window {

// True when another copy runs: it has been brought to the front, as far as the system allows,
// after a message if it cannot save where this copy could. False when this copy is to start: it
// is the only one, and `claim` then holds the name for as long as it lives; or the name is held
// by something that shows no copy's window, or the system gives no claim for a reason that says
// nothing of another copy, and `claim` stays empty.
bool AnotherCopyRuns(win32::UniqueHandle& claim);

}  // namespace hostline::window
