#include "hostline_driver.h"

namespace hostline::e2e {

namespace {

constexpr wchar_t kFormClass[] = L"HostlineForm1";
constexpr wchar_t kDialogClass[] = L"#32770";

struct Search {
    DWORD ProcessId;
    const wchar_t* ClassName;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == search->ProcessId && (!*search->ClassName || ClassOf(window) == search->ClassName))
        search->Found.push_back(window);
    return TRUE;
}

BOOL CALLBACK InspectBoxChild(HWND child, LPARAM lParam) {
    auto* contents = reinterpret_cast<MessageBoxContents*>(lParam);
    if (!IsWindowVisible(child)) return TRUE;
    const std::wstring className = ClassOf(child);
    if (_wcsicmp(className.c_str(), L"Button") == 0) {
        contents->VisibleButtonIds.push_back(GetDlgCtrlID(child));
    } else if (_wcsicmp(className.c_str(), L"Static") == 0) {
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON && SendMessageW(child, STM_GETICON, 0, 0) != 0)
            contents->ShowsIcon = true;
    }
    return TRUE;
}

}  // namespace

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className) {
    Search search{processId, className, {}};
    EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

MessageBoxContents ReadMessageBox(HWND box) {
    MessageBoxContents contents;
    contents.Title = TextOf(box);
    // The message text of a message box is the static control with id 0xFFFF.
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    contents.Text = text;
    contents.Owner = GetWindow(box, GW_OWNER);
    EnumChildWindows(box, &InspectBoxChild, reinterpret_cast<LPARAM>(&contents));
    return contents;
}

RunningProgram::RunningProgram(const std::wstring& program, bool withoutRights) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    HANDLE own = nullptr, token = nullptr;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    if (withoutRights && !(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) &&
                           GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size) &&
                           DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation,
                                            TokenPrimary, &token)))
        return;
    const win32::UniqueHandle ownToken(own), linkedToken(linked.LinkedToken), primary(token);
    if (!CreateProcessAsUserW(token, program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &info))
        return;
    process_.Reset(info.hProcess);
    win32::UniqueHandle thread(info.hThread);
    processId_ = info.dwProcessId;
    threadId_ = info.dwThreadId;
}

RunningProgram::~RunningProgram() {
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.Get(), 99);
        WaitForSingleObject(process_.Get(), 10000);
    }
}

HWND RunningProgram::WaitForForm() {
    HWND form = nullptr;
    WaitUntil([&] {
        for (HWND window : TopLevelWindows(processId_, kFormClass)) {
            if (IsWindowVisible(window)) form = window;
        }
        return form || WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0;
    });
    return form;
}

std::vector<HWND> RunningProgram::OpenMessageBoxes() const {
    std::vector<HWND> boxes;
    for (HWND window : TopLevelWindows(processId_, kDialogClass)) {
        if (IsWindowVisible(window)) boxes.push_back(window);
    }
    return boxes;
}

HWND RunningProgram::WaitForMessageBox(HWND except) {
    HWND box = nullptr;
    WaitUntil([&] {
        for (HWND window : OpenMessageBoxes()) {
            if (window != except) box = window;
        }
        return box || WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0;
    });
    return box;
}

DWORD RunningProgram::WaitForExit() {
    if (WaitForSingleObject(process_.Get(), 20000) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.Get(), &code);
    return code;
}

HWND RunningProgram::FocusedWindow() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(threadId_, &info) ? info.hwndFocus : nullptr;
}

bool RunningProgram::WaitForFocus(HWND window) const {
    return WaitUntil([&] { return FocusedWindow() == window; });
}

void PostKey(HWND window, UINT virtualKey) {
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scanCode) << 16));
    PostMessageW(window, WM_KEYUP, virtualKey, 1 | (static_cast<LPARAM>(scanCode) << 16) | (3u << 30));
}

}  // namespace hostline::e2e
