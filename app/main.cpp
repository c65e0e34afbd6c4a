// The program: read which line the hosts file pins, let the user choose, save once, end.
#include <windows.h>

#include <commctrl.h>

#include "dll_search.h"
#include "hostline_constants.h"
#include "detection.h"
#include "main_window.h"
#include "message_boxes.h"
#include "other_copy.h"

namespace {

// How the program ended, for whoever started it (the end-to-end tests among them).
enum ExitCode : int {
    kExitClosedOrSaved = 0,
    kExitStartFailed = 1,
    kExitSaveFailed = 2,
    kExitMessageLoopFailed = 3,
    kExitAnotherCopyRuns = 4,
};

// False when GetMessage itself fails.
bool RunMessageLoop(HWND window) {
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return true;
        if (got == -1) return false;
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
    startup::RestrictDllSearch();

    win32::UniqueHandle onlyCopy;
    if (window::AnotherCopyRuns(onlyCopy)) return kExitAnotherCopyRuns;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // Detection comes before any window, so a file that cannot be read never shows Form1.
    const win32::DetectionResult detected = win32::DetectCurrentLine(kBuiltInConstants);
    if (!detected.Ok) {
        window::ShowStartFailure(detected.Failure);
        return kExitStartFailed;
    }

    window::MainWindow form;
    if (const DWORD error = form.Create(instance, detected.Choice)) {
        window::ShowSystemFailure(error);
        return kExitStartFailed;
    }
    form.Show(showCommand);
    if (!RunMessageLoop(form.Handle())) return kExitMessageLoopFailed;
    return form.SaveFailed() ? kExitSaveFailed : kExitClosedOrSaved;
}
