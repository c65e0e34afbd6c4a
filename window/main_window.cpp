#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <new>

#include "hostline_constants.h"
#include "hosts_win32.h"
#include "layout.h"
#include "message_boxes.h"
#include "version.h"

namespace hostline::window {

namespace {

constexpr wchar_t kClassName[] = L"HostlineForm1";
// <host>线路选择器 2.0
constexpr wchar_t kCaption[] =
    HOSTLINE_SERVICE_HOST_W L"\u7EBF\u8DEF\u9009\u62E9\u5668 " HOSTLINE_VERSION_CAPTION_W;

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = 0;

// Ids away from IDOK and IDCANCEL, which IsDialogMessage sends for Enter and Esc on its own.
constexpr int kCommand1Id = 100;
constexpr int kFirstOptionId = 101;

struct ControlDesign {
    int Id;
    const wchar_t* Text;
    DWORD Style;
    TwipsRect Twips;
};

// In creation order, which is also the z-order and so the Tab order. The option group is one tab
// stop: BM_SETCHECK gives WS_TABSTOP to the checked radio button and takes it from the others,
// so Tab goes between the selected option and Save (see Select for greyed Other). Option1 starts
// the one group; Command1 has no WS_GROUP, since that would cut Option2..4 off from Option1. So
// the dialog manager's group holds Save too, and the arrow keys are not left to it: see
// OnArrowKey. The options are plain BS_RADIOBUTTON: an automatic one checks itself when it gets
// the focus.
constexpr DWORD kOptionStyle = BS_RADIOBUTTON | WS_TABSTOP;
constexpr ControlDesign kControls[] = {
    {kFirstOptionId + 0, L"\u81EA\u52A8\u6A21\u5F0F", kOptionStyle | WS_GROUP, {360, 240, 1575, 375}},  // 自动模式
    {kCommand1Id, L"\u4FDD\u5B58", BS_DEFPUSHBUTTON | WS_TABSTOP, {3000, 240, 1695, 1335}},  // 保存
    {kFirstOptionId + 1, L"\u7EBF\u8DEF1", kOptionStyle, {360, 600, 1575, 375}},  // 线路1
    {kFirstOptionId + 2, L"\u7EBF\u8DEF2", kOptionStyle, {360, 960, 1575, 375}},  // 线路2
    {kFirstOptionId + 3, L"\u5176\u4ED6", kOptionStyle | WS_DISABLED, {360, 1320, 1575, 375}},  // 其他
};

// Option1..Option4 in LineChoice order.
constexpr LineChoice kOptionChoices[] = {LineChoice::Automatic, LineChoice::Line1, LineChoice::Line2,
                                         LineChoice::Other};

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

bool RegisterWindowClass(HINSTANCE instance, WNDPROC windowProc) {
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
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
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

bool MainWindow::Create(HINSTANCE instance, LineChoice detected) {
    if (!RegisterWindowClass(instance, &MainWindow::WindowProc)) return false;
    dpi_ = SystemDpi();
    font_ = CreateMessageFont(dpi_);
    if (!font_) return false;
    const RECT rect = CentredWindowRect(dpi_);
    // WM_NCCREATE stores `this`; from then on the window procedure forwards here.
    HWND window = CreateWindowExW(kWindowExStyle, kClassName, kCaption, kWindowStyle, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, instance,
                                  this);
    if (!window) return false;
    if (!CreateControls(instance)) {
        DestroyWindow(window);
        return false;
    }
    Select(detected);
    return true;
}

bool MainWindow::CreateControls(HINSTANCE instance) {
    std::size_t option = 0;
    for (const ControlDesign& design : kControls) {
        const RECT rect = ToPixels(design.Twips, dpi_);
        HWND control = CreateWindowExW(0, L"BUTTON", design.Text, WS_CHILD | WS_VISIBLE | design.Style, rect.left,
                                       rect.top, rect.right - rect.left, rect.bottom - rect.top, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.Id)), instance, nullptr);
        if (!control) return false;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        if (!SetWindowSubclass(control, &MainWindow::ControlProc, 0, reinterpret_cast<DWORD_PTR>(this)))
            return false;
        if (design.Id == kCommand1Id) {
            save_ = control;
        } else {
            options_[option++] = control;
        }
    }
    return true;
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

LRESULT CALLBACK MainWindow::ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR refData) {
    auto* self = reinterpret_cast<MainWindow*>(refData);
    switch (message) {
        case WM_SETFOCUS: {
            self->focusArriving_ = true;
            const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
            self->focusArriving_ = false;
            return result;
        }
        case WM_GETDLGCODE:
            // IsDialogMessage then hands the arrow keys to the control instead of walking the
            // group, which would take in Save.
            return DefSubclassProc(control, message, wParam, lParam) | DLGC_WANTARROWS;
        case WM_KEYDOWN:
            if (self->OnArrowKey(control, wParam)) return 0;
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(control, &MainWindow::ControlProc, 0);
            break;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case DM_GETDEFID:
            // IsDialogMessage asks this for Enter; without it Enter would send IDOK.
            return MAKELRESULT(kCommand1Id, DC_HASDEFID);
        case WM_NEXTDLGCTL:
            MoveFocus(wParam, lParam);
            return 0;
        case WM_ACTIVATE:
            // A plain window loses its child's focus when deactivated; put it back, as dialogs do.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(window_, focus)) lastFocus_ = focus;
            } else if (!HIWORD(wParam)) {
                RestoreFocus();
            }
            return 0;
        case WM_SETFOCUS:
            RestoreFocus();
            return 0;
        case WM_CLOSE:
            // Once a save has started, its message box ends the program: a close asked for
            // meanwhile (taskkill, automation) must not take the box away unread.
            if (!saved_) DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(exitCode_);
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
    } else if (id == kCommand1Id) {
        Save();
    } else if (id >= kFirstOptionId && id < kFirstOptionId + static_cast<int>(options_.size())) {
        OnOptionClicked(static_cast<std::size_t>(id - kFirstOptionId));
    }
}

void MainWindow::OnOptionClicked(std::size_t index) {
    // Focus alone never selects; a disabled option (Other) is only ever selected by detection;
    // once a save has begun the selection is what was saved.
    if (focusArriving_ || saved_ || !IsWindowEnabled(options_[index])) return;
    Select(kOptionChoices[index]);
}

// An arrow key on an option is the user choosing, as in any group of option buttons: it selects
// the previous (Up, Left) or next (Down, Right) option that can be chosen, wrapping round, and
// moves the focus there. On Save it does nothing, so the arrows never cross between Save and the
// options. False for any other key.
bool MainWindow::OnArrowKey(HWND control, WPARAM key) {
    const bool back = key == VK_UP || key == VK_LEFT;
    if (!back && key != VK_DOWN && key != VK_RIGHT) return false;
    const auto at = std::find(options_.begin(), options_.end(), control);
    // Once a save has begun the selection is what was saved; a key posted meanwhile changes nothing.
    if (at == options_.end() || saved_) return true;
    const std::size_t count = options_.size();
    const std::size_t from = static_cast<std::size_t>(at - options_.begin());
    std::size_t next = from;
    do {
        next = (next + (back ? count - 1 : 1)) % count;
    } while (next != from && !IsWindowEnabled(options_[next]));
    if (!IsWindowEnabled(options_[next])) return true;
    // Checked before the focus arrives, so that a screen reader announces the option as chosen.
    Select(kOptionChoices[next]);
    SetFocus(options_[next]);
    return true;
}

void MainWindow::Select(LineChoice choice) {
    selection_ = choice;
    for (std::size_t i = 0; i < options_.size(); ++i) {
        SendMessageW(options_[i], BM_SETCHECK, kOptionChoices[i] == choice ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    // The checked button now holds the group's tab stop. When that is the greyed Other, Tab could
    // not reach the group at all, so Option1 holds it instead.
    HWND selected = options_[static_cast<std::size_t>(choice)];
    if (!IsWindowEnabled(selected)) {
        const LONG_PTR style = GetWindowLongPtrW(options_[0], GWL_STYLE);
        SetWindowLongPtrW(options_[0], GWL_STYLE, style | WS_TABSTOP);
    }
}

void MainWindow::Save() {
    // A second press, or one queued before the button was disabled, must not save again.
    if (saved_) return;
    saved_ = true;
    EnableWindow(save_, FALSE);
    win32::SaveOutcome outcome;
    try {
        outcome = win32::ChangeLine(selection_, kBuiltInConstants);
    } catch (const std::bad_alloc&) {
        // Nothing was written: a failed save, told to the user like any other.
        outcome.Result = win32::SaveResult::Failed;
        outcome.Error = ERROR_NOT_ENOUGH_MEMORY;
        outcome.Attributes = FILE_ATTRIBUTE_NORMAL;
    }
    // Set before the box is shown: the save has happened, whatever ends the program from here.
    exitCode_ = outcome.Result == win32::SaveResult::Succeeded ? kExitClosedOrSaved : kExitSaveFailed;
    ShowSaveOutcome(window_, outcome);
    DestroyWindow(window_);
}

void MainWindow::RestoreFocus() {
    HWND target = lastFocus_;
    if (!target || !IsWindowEnabled(target)) {
        // First activation: the option group, which comes first in the Tab order, at its tab
        // stop. GetNextDlgTabItem would pick Save, which precedes Option2 and Option3 in z-order.
        HWND selected = options_[static_cast<std::size_t>(selection_)];
        target = IsWindowEnabled(selected) ? selected : options_[0];
    }
    if (target) SetFocus(target);
}

// What DefDlgProc does for WM_NEXTDLGCTL, which IsDialogMessage sends for Tab and Shift+Tab.
void MainWindow::MoveFocus(WPARAM wParam, LPARAM lParam) {
    HWND target = nullptr;
    if (LOWORD(lParam)) {
        target = reinterpret_cast<HWND>(wParam);
    } else {
        HWND focus = GetFocus();
        target = GetNextDlgTabItem(window_, IsChild(window_, focus) ? focus : nullptr, wParam != 0);
    }
    if (target && IsChild(window_, target)) SetFocus(target);
}

}  // namespace hostline::window
