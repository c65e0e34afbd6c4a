// How the keyboard and the focus move in Form1, which is a plain window run like a dialog:
// IsDialogMessage in the message loop turns Tab, Enter and Esc into dialog navigation.
//
// - Tab goes between two stops: the option group and Save. The group is one stop, held by its
//   checked option (BM_SETCHECK moves WS_TABSTOP to it); see KeepGroupReachable for greyed Other.
// - The arrow keys choose, as in any group of option buttons, and only among the options: each
//   control asks for them (DLGC_WANTARROWS) so the dialog manager, whose group also holds Save,
//   never walks them.
// - Taking the focus never selects: a radio button reports a click when it merely gets the focus,
//   and that report is dropped while focusArriving_ is set.
// - Enter is Save (DM_GETDEFID in HandleMessage); Esc asks to close, like the close button.
// - A plain window forgets which control had the focus when it is deactivated; it is put back on
//   activation, as a dialog does, and the first time it goes to the option group.
// - Keys and clicks typed while a save runs were meant for the window, not for the save's message:
//   its box takes only what comes after it appeared (typed_ahead.h).
#include "main_window.h"

#include <commctrl.h>

#include <algorithm>

namespace hostline::window {

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

// Up and Left choose the previous option that can be chosen, Down and Right the next, wrapping
// round; on Save they do nothing. Once a save has begun, the selection is what was saved. False
// for any other key.
bool MainWindow::OnArrowKey(HWND control, WPARAM key) {
    const bool back = key == VK_UP || key == VK_LEFT;
    if (!back && key != VK_DOWN && key != VK_RIGHT) return false;
    const auto at = std::find(options_.begin(), options_.end(), control);
    if (at == options_.end() || saveStarted_) return true;
    const std::size_t count = options_.size();
    const std::size_t from = static_cast<std::size_t>(at - options_.begin());
    std::size_t next = from;
    do {
        next = (next + (back ? count - 1 : 1)) % count;
    } while (next != from && !IsWindowEnabled(options_[next]));
    if (!IsWindowEnabled(options_[next])) return true;
    // Checked before the focus arrives, so that a screen reader announces the option as chosen.
    Select(OptionChoice(next));
    SetFocus(options_[next]);
    return true;
}

void MainWindow::OnActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus)) lastFocus_ = focus;
    } else if (!HIWORD(wParam)) {
        RestoreFocus();
    }
}

// What DefDlgProc does for WM_NEXTDLGCTL, which IsDialogMessage sends for Tab and Shift+Tab.
void MainWindow::OnNextDlgCtl(WPARAM wParam, LPARAM lParam) {
    HWND target = nullptr;
    if (LOWORD(lParam)) {
        target = reinterpret_cast<HWND>(wParam);
    } else {
        HWND focus = GetFocus();
        target = GetNextDlgTabItem(window_, IsChild(window_, focus) ? focus : nullptr, wParam != 0);
    }
    if (target && IsChild(window_, target)) SetFocus(target);
}

void MainWindow::RestoreFocus() {
    HWND target = lastFocus_;
    if (!target || !IsWindowEnabled(target)) {
        // First activation: the option group, which comes first in the Tab order, at its tab
        // stop. GetNextDlgTabItem would pick Save, which precedes 线路1 and 线路2 in z-order.
        HWND selected = options_[OptionIndex(selection_)];
        target = IsWindowEnabled(selected) ? selected : options_[0];
    }
    if (target) SetFocus(target);
}

// When the checked option is the greyed 其他, Tab could not reach the group at all, so 自动模式
// holds the group's stop instead.
void MainWindow::KeepGroupReachable() {
    if (IsWindowEnabled(options_[OptionIndex(selection_)])) return;
    const LONG_PTR style = GetWindowLongPtrW(options_[0], GWL_STYLE);
    SetWindowLongPtrW(options_[0], GWL_STYLE, style | WS_TABSTOP);
}

}  // namespace hostline::window
