// Owners for the few kinds of Win32 handle this program holds, one type per kind so that each
// gets its own invalid value and its own way of being released.
#pragma once

#include <windows.h>

namespace hostline::win32 {

template <class Handle, class Traits>
class Unique {
public:
    Unique() = default;
    explicit Unique(Handle handle) : handle_(handle) {}
    Unique(Unique&& other) noexcept : handle_(other.Release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }

    Handle Release() {
        Handle handle = handle_;
        handle_ = Traits::Invalid();
        return handle;
    }

    // Closes now and says whether the close itself succeeded, for callers to whom it matters.
    bool Reset(Handle handle = Traits::Invalid()) {
        bool closed = true;
        if (handle_ != Traits::Invalid()) closed = Traits::Close(handle_);
        handle_ = handle;
        return closed;
    }

private:
    Handle handle_ = Traits::Invalid();
};

// Kernel objects other than files, whose handles are null when there is none: processes,
// threads, access tokens.
struct HandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool Close(HANDLE handle) { return CloseHandle(handle) != FALSE; }
};
using UniqueHandle = Unique<HANDLE, HandleTraits>;

// Files, whose invalid handle is INVALID_HANDLE_VALUE; closed like any kernel object.
struct FileTraits : HandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
};
using UniqueFile = Unique<HANDLE, FileTraits>;

struct FontTraits {
    static HFONT Invalid() { return nullptr; }
    static bool Close(HFONT font) { return DeleteObject(font) != FALSE; }
};
using UniqueFont = Unique<HFONT, FontTraits>;

// A device context of the whole screen from GetDC(nullptr), given back with ReleaseDC.
struct ScreenDcTraits {
    static HDC Invalid() { return nullptr; }
    static bool Close(HDC dc) { return ReleaseDC(nullptr, dc) != 0; }
};
using UniqueScreenDc = Unique<HDC, ScreenDcTraits>;

struct HookTraits {
    static HHOOK Invalid() { return nullptr; }
    static bool Close(HHOOK hook) { return UnhookWindowsHookEx(hook) != FALSE; }
};
using UniqueHook = Unique<HHOOK, HookTraits>;

}  // namespace hostline::win32
