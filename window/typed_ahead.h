// A message box answers only what the user did after it appeared. Keys typed ahead while a save
// runs (a second Enter, say) can reach the thread after the box is up: the system delivers them
// when it gets round to it, late on a busy or remote machine. Each input message carries the time
// it was made, so the box's own loop can tell them apart, through a message filter.
#pragma once

#include <windows.h>

#include <bitset>

#include "unique_handle.h"

namespace hostline::window {

// While it lives, the message boxes `owner` owns on this thread drop keys and clicks made before
// they appeared or within a short guard after (a quick second press can land just after a fast
// save shows its box), key-ups whose key-down they never saw, and the repeats of a held key.
class TypedAheadFilter {
public:
    explicit TypedAheadFilter(HWND owner);
    ~TypedAheadFilter();
    TypedAheadFilter(const TypedAheadFilter&) = delete;
    TypedAheadFilter& operator=(const TypedAheadFilter&) = delete;

private:
    static LRESULT CALLBACK Filter(int code, WPARAM wParam, LPARAM lParam);
    bool Drops(const MSG& message);

    HWND owner_;
    // GetTickCount's clock, which MSG::time is on.
    DWORD shownAt_;
    std::bitset<256> keysDown_;
    win32::UniqueHook hook_;
};

}  // namespace hostline::window
