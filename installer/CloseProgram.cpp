// A custom action of the installer package, run before it upgrades or removes the program:
// ends a resident Aurelon 3D Audio Control, whose file is in use while it runs, and waits
// for its end, so that the file is replaced or removed at once instead of at a restart.
//
// The resident instance is the one top-level window of class "Aurelon3DAudioControl" (the
// program's single-instance identity). It is asked to close as taskkill would ask it: the
// program then saves the user's presets and removes its tray icon, as its Exit command does.
#include <windows.h>
#include <msi.h>

extern "C" UINT __stdcall CloseProgram(MSIHANDLE)
{
    const DWORD kTimeoutMs = 10000;
    HWND hMain = ::FindWindowA("Aurelon3DAudioControl", nullptr);
    if (hMain == nullptr)
        return ERROR_SUCCESS;
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hMain, &dwProcessId);
    HANDLE hProcess = ::OpenProcess(SYNCHRONIZE, FALSE, dwProcessId);
    ::PostMessageA(hMain, WM_CLOSE, 0, 0);
    if (hProcess == nullptr)
        return ERROR_SUCCESS;
    const bool bEnded = ::WaitForSingleObject(hProcess, kTimeoutMs) == WAIT_OBJECT_0;
    ::CloseHandle(hProcess);
    return bEnded ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}
