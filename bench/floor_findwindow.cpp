// The floor of a start with an argument: all such a start must do before it ends is to
// look for a resident instance by the window class of string 500.
#include <windows.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    char szClass[64];
    if (::LoadStringA(hInstance, 500, szClass, sizeof(szClass)) == 0)
        return 1;
    return ::FindWindowA(szClass, nullptr) != nullptr ? 2 : 0;
}
