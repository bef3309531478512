// A DLL that exports none of the functions the program calls. Copied beside a copy of the
// program under the name of a system DLL, it stands for a Windows whose DLL of that name
// lacks them.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
