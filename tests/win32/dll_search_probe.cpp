// A DLL that does nothing, under a name that neither Windows nor Wine has a DLL of: the tests
// only ask whether the loader finds it by name beside the program.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
