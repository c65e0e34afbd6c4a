// Form1: four option buttons for the line and one Save button. The object owns every handle the
// window needs; the window procedure reaches it through GWLP_USERDATA.
#pragma once

#include <windows.h>

#include <array>

#include "hosts_file.h"
#include "unique_handle.h"

namespace hostline::window {

// The process's exit codes, so that a caller (or a test) can tell how the program ended.
enum ExitCode : int {
    kExitClosedOrSaved = 0,
    kExitStartFailed = 1,
    kExitSaveFailed = 2,
    kExitMessageLoopFailed = 3,
};

class MainWindow {
public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window hidden, with `detected` selected. False when any part could not be made.
    bool Create(HINSTANCE instance, LineChoice detected);
    void Show(int showCommand);
    HWND Handle() const { return window_; }
    int ExitCode() const { return exitCode_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR subclassId, DWORD_PTR refData);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool CreateControls(HINSTANCE instance);
    void OnCommand(int id, int code);
    void OnOptionClicked(std::size_t index);
    bool OnArrowKey(HWND control, WPARAM key);
    void Select(LineChoice choice);
    void Save();
    void RestoreFocus();
    void MoveFocus(WPARAM wParam, LPARAM lParam);

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
    bool saved_ = false;
    int exitCode_ = kExitClosedOrSaved;
};

}  // namespace hostline::window
