// Form1: four option buttons for the line and one Save button. The object owns every handle the
// window needs; the window procedure reaches it through GWLP_USERDATA. main_window.cpp makes the
// window and carries out the choice; keyboard.cpp is how the keyboard and the focus move in it.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

#include "hosts_file.h"
#include "unique_handle.h"

namespace hostline::window {

class MainWindow {
public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window hidden, with `detected` selected. ERROR_SUCCESS, or the code of the
    // call that failed (a code of its own where that call set none; never ERROR_SUCCESS).
    DWORD Create(HINSTANCE instance, LineChoice detected);
    void Show(int showCommand);
    HWND Handle() const { return window_; }
    // Whether the program ended by a save that failed; it is known before the message shows.
    bool SaveFailed() const { return saveFailed_; }

private:
    // The option buttons stand for the choices in LineChoice's own order: Automatic, Line1,
    // Line2, Other.
    static constexpr std::size_t OptionIndex(LineChoice choice) { return static_cast<std::size_t>(choice); }
    static constexpr LineChoice OptionChoice(std::size_t index) { return static_cast<LineChoice>(index); }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    DWORD CreateControls(HINSTANCE instance);
    void OnCommand(int id, int code);
    void OnOptionClicked(std::size_t index);
    void Select(LineChoice choice);
    void Save();

    // The keyboard and the focus (keyboard.cpp).
    static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR subclassId, DWORD_PTR refData);
    bool OnArrowKey(HWND control, WPARAM key);
    void OnActivate(WPARAM wParam);
    void OnNextDlgCtl(WPARAM wParam, LPARAM lParam);
    void RestoreFocus();
    void KeepGroupReachable();

    HWND window_ = nullptr;
    HWND save_ = nullptr;
    std::array<HWND, 4> options_{};
    win32::UniqueFont font_;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    LineChoice selection_ = LineChoice::Automatic;
    HWND lastFocus_ = nullptr;
    // Set while a control handles WM_SETFOCUS: the BN_CLICKED a radio button sends when it merely
    // receives the focus is then told apart from a real click or Space.
    bool focusArriving_ = false;
    bool saveStarted_ = false;
    bool saveFailed_ = false;
    // Set once the controls exist: only a window that was made whole ends the message loop when
    // it goes. One destroyed while it was being made leaves no quit behind, which would close the
    // message that tells the failure before it could be read.
    bool made_ = false;
};

static_assert(static_cast<std::size_t>(LineChoice::Other) == 3, "one option button per choice, in order");

}  // namespace hostline::window
