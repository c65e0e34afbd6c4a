// The program: read which line the hosts file pins, let the user choose, save once, end.
#include <windows.h>

#include <commctrl.h>

#include "dll_search.h"
#include "hostline_constants.h"
#include "hosts_win32.h"
#include "main_window.h"
#include "message_boxes.h"

namespace {

int RunMessageLoop(HWND window) {
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) return hostline::window::kExitMessageLoopFailed;
        // Tab, the arrow keys, Enter and Esc, as in a dialog. Once the window is gone the loop
        // only waits for WM_QUIT.
        if (IsWindow(window) && IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace hostline;
    // Before the common controls, whose theme DLL is loaded late, and before anything else that
    // loads one. The result only tells how far it got; the program runs either way.
    window::RestrictDllSearch();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // Detection comes before any window, so a file that cannot be read never shows Form1.
    const win32::DetectionResult detected = win32::DetectCurrentLine(kBuiltInConstants);
    if (!detected.Ok) {
        window::ShowStartFailure(detected.Failure);
        return window::kExitStartFailed;
    }

    window::MainWindow form;
    if (!form.Create(instance, detected.Choice)) {
        window::ShowSystemFailure(GetLastError());
        return window::kExitStartFailed;
    }
    form.Show(showCommand);
    return RunMessageLoop(form.Handle());
}
