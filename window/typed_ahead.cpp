#include "typed_ahead.h"

namespace hostline::window {

namespace {

// About what browsers give their security prompts before a key can answer them.
constexpr LONG kGuardMilliseconds = 500;

// The filter finds its object on the box's owner: a hook procedure is given no context.
constexpr wchar_t kProperty[] = L"hostline.TypedAheadFilter";

bool IsKey(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

// In the client area or on the frame (the close button).
bool IsMouse(UINT message) {
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

}  // namespace

TypedAheadFilter::TypedAheadFilter(HWND owner)
    : owner_(owner),
      // The box shows within moments of this; GetTickCount64 imports nothing new.
      shownAt_(static_cast<DWORD>(GetTickCount64())) {
    // Without the property or the hook the box takes every key, as any box does.
    if (SetPropW(owner_, kProperty, this))
        hook_.Reset(SetWindowsHookExW(WH_MSGFILTER, &TypedAheadFilter::Filter, nullptr, GetCurrentThreadId()));
}

TypedAheadFilter::~TypedAheadFilter() {
    hook_.Reset();
    RemovePropW(owner_, kProperty);
}

// Dialog boxes, message boxes among them, pass each message they take from the queue through
// here (IsDialogMessage does) before they act on it; TRUE drops it.
LRESULT CALLBACK TypedAheadFilter::Filter(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message->hwnd) {
        auto* self = static_cast<TypedAheadFilter*>(GetPropW(GetAncestor(message->hwnd, GA_ROOTOWNER), kProperty));
        if (self && self->Drops(*message)) return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool TypedAheadFilter::Drops(const MSG& message) {
    if (!IsKey(message.message) && !IsMouse(message.message)) return false;
    // A difference of tick counts holds across the counter's wrap every 49.7 days.
    const bool typedAhead = static_cast<LONG>(message.time - shownAt_) < kGuardMilliseconds;
    const std::size_t key = message.wParam & 0xFF;
    switch (message.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            // Bit 30: the key was already down, a repeat of a key held since before.
            const bool repeat = (message.lParam & (1L << 30)) != 0;
            if (typedAhead || repeat) return true;
            keysDown_.set(key);
            return false;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            const bool seen = keysDown_.test(key);
            keysDown_.reset(key);
            return !seen;
        }
        default:
            return typedAhead;
    }
}

}  // namespace hostline::window
