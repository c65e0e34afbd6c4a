#include "main_window.h"

#include <commctrl.h>

#include "errors.h"
#include "hostline_constants.h"
#include "identity.h"
#include "layout.h"
#include "message_boxes.h"
#include "save.h"
#include "version.h"

namespace hostline::window {

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = 0;

// Ids away from IDOK and IDCANCEL, which IsDialogMessage sends for Enter and Esc on its own.
constexpr int kSaveButtonId = 100;
constexpr int kFirstOptionId = 101;

struct ControlDesign {
    int Id;
    const wchar_t* Text;
    DWORD Style;
    TwipsRect Twips;
};

// In creation order, which is also the z-order and so the Tab order (keyboard.cpp). 自动模式
// starts the one group; Save has no WS_GROUP, which would cut the options after it off. The
// options are plain BS_RADIOBUTTON: an automatic one checks itself when it merely gets the focus.
constexpr DWORD kOptionStyle = BS_RADIOBUTTON | WS_TABSTOP;
constexpr ControlDesign kControls[] = {
    {kFirstOptionId + 0, L"\u81EA\u52A8\u6A21\u5F0F", kOptionStyle | WS_GROUP, {360, 240, 1575, 375}},  // 自动模式
    {kSaveButtonId, L"\u4FDD\u5B58", BS_DEFPUSHBUTTON | WS_TABSTOP, {3000, 240, 1695, 1335}},  // 保存
    {kFirstOptionId + 1, L"\u7EBF\u8DEF1", kOptionStyle, {360, 600, 1575, 375}},  // 线路1
    {kFirstOptionId + 2, L"\u7EBF\u8DEF2", kOptionStyle, {360, 960, 1575, 375}},  // 线路2
    {kFirstOptionId + 3, L"\u5176\u4ED6", kOptionStyle | WS_DISABLED, {360, 1320, 1575, 375}},  // 其他
};

// The DPI the layout is scaled for. The manifest declares system DPI awareness, so this is the
// DPI every other part of the system (metrics, fonts) uses for this process too.
int SystemDpi() {
    win32::UniqueScreenDc screen(GetDC(nullptr));
    const int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

// The font the user chose for message boxes, which is also what dialogs use; never the stock
// system font, which has no Chinese glyphs on many systems and looks out of place on all.
win32::UniqueFont CreateMessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        // For a system-aware process the metrics are already for `dpi`.
        font = metrics.lfMessageFont;
    } else {
        font.lfHeight = -MulDiv(9, dpi, 72);
        font.lfCharSet = DEFAULT_CHARSET;
    }
    return win32::UniqueFont(CreateFontIndirectW(&font));
}

DWORD RegisterWindowClass(HINSTANCE instance, WNDPROC windowProc) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    // Shared icons belong to the module; they are never destroyed by the program.
    windowClass.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(HOSTLINE_ICON_ID), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                                      LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(HOSTLINE_ICON_ID), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass)) return ERROR_SUCCESS;
    const DWORD error = win32::LastErrorOr(ERROR_INVALID_WINDOW_HANDLE);
    return error == ERROR_CLASS_ALREADY_EXISTS ? ERROR_SUCCESS : error;
}

// The outer rectangle for the designed client size, centred on the primary monitor's work area
// (the screen less the taskbar), so the taskbar never covers part of the window.
RECT CentredWindowRect(int dpi) {
    RECT rect{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
    AdjustWindowRectEx(&rect, kWindowStyle, FALSE, kWindowExStyle);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    const int left = work.left + (work.right - work.left - width) / 2;
    const int top = work.top + (work.bottom - work.top - height) / 2;
    return {left, top, left + width, top + height};
}

}  // namespace

DWORD MainWindow::Create(HINSTANCE instance, LineChoice detected) {
    if (const DWORD error = RegisterWindowClass(instance, &MainWindow::WindowProc)) return error;
    dpi_ = SystemDpi();
    font_ = CreateMessageFont(dpi_);
    // GDI sets no code when it cannot make a font; it fails only when its objects or memory run out.
    if (!font_) return win32::LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    const RECT rect = CentredWindowRect(dpi_);
    // WM_NCCREATE stores `this`; from then on the window procedure forwards here.
    HWND window = CreateWindowExW(kWindowExStyle, kWindowClass, kCaption, kWindowStyle, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, instance,
                                  this);
    if (!window) return win32::LastErrorOr(ERROR_INVALID_WINDOW_HANDLE);
    if (const DWORD error = CreateControls(instance)) {
        DestroyWindow(window);
        return error;
    }
    made_ = true;
    Select(detected);
    return ERROR_SUCCESS;
}

DWORD MainWindow::CreateControls(HINSTANCE instance) {
    for (const ControlDesign& design : kControls) {
        const RECT rect = ToPixels(design.Twips, dpi_);
        HWND control = CreateWindowExW(0, L"BUTTON", design.Text, WS_CHILD | WS_VISIBLE | design.Style, rect.left,
                                       rect.top, rect.right - rect.left, rect.bottom - rect.top, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.Id)), instance, nullptr);
        if (!control) return win32::LastErrorOr(ERROR_INVALID_WINDOW_HANDLE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        if (!SetWindowSubclass(control, &MainWindow::ControlProc, 0, reinterpret_cast<DWORD_PTR>(this)))
            return ERROR_NOT_ENOUGH_MEMORY;  // it sets no error code; memory is all it can lack
        if (design.Id == kSaveButtonId) {
            save_ = control;
        } else {
            options_[static_cast<std::size_t>(design.Id - kFirstOptionId)] = control;
        }
    }
    return ERROR_SUCCESS;
}

void MainWindow::Show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case DM_GETDEFID:
            // IsDialogMessage asks this for Enter; without it Enter would send IDOK.
            return MAKELRESULT(kSaveButtonId, DC_HASDEFID);
        case WM_NEXTDLGCTL:
            OnNextDlgCtl(wParam, lParam);
            return 0;
        case WM_ACTIVATE:
            OnActivate(wParam);
            return 0;
        case WM_SETFOCUS:
            RestoreFocus();
            return 0;
        case WM_CLOSE:
            // Once a save has started, its message box ends the program: a close asked for
            // meanwhile (taskkill, automation) must not take the box away unread.
            if (!saveStarted_) DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            if (made_) PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void MainWindow::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == IDCANCEL) {
        // Esc, which IsDialogMessage sends as IDCANCEL, is the close button: WM_CLOSE alone
        // decides whether the window closes.
        SendMessageW(window_, WM_CLOSE, 0, 0);
    } else if (id == kSaveButtonId) {
        Save();
    } else if (id >= kFirstOptionId && id < kFirstOptionId + static_cast<int>(options_.size())) {
        OnOptionClicked(static_cast<std::size_t>(id - kFirstOptionId));
    }
}

void MainWindow::OnOptionClicked(std::size_t index) {
    // Focus alone never selects; a disabled option (Other) is only ever selected by detection;
    // once a save has begun the selection is what was saved.
    if (focusArriving_ || saveStarted_ || !IsWindowEnabled(options_[index])) return;
    Select(OptionChoice(index));
}

void MainWindow::Select(LineChoice choice) {
    selection_ = choice;
    for (std::size_t i = 0; i < options_.size(); ++i)
        SendMessageW(options_[i], BM_SETCHECK, i == OptionIndex(choice) ? BST_CHECKED : BST_UNCHECKED, 0);
    KeepGroupReachable();
}

void MainWindow::Save() {
    // A second press, or one queued before the button was disabled, must not save again.
    if (saveStarted_) return;
    saveStarted_ = true;
    EnableWindow(save_, FALSE);
    const win32::SaveOutcome outcome = win32::ChangeLine(selection_, kBuiltInConstants);
    // Known before the box is shown: the save has happened, whatever ends the program from here.
    saveFailed_ = outcome.Result == win32::SaveResult::Failed;
    ShowSaveOutcome(window_, selection_, outcome);
    DestroyWindow(window_);
}

}  // namespace hostline::window
