// Entry point: the framework runs the one application object.
#include "framework/App.h"
#include "app/AudioControlApp.h"
#include "app/DelayLoad.h"

static CAudioControlApp theApp;

// The delay-load helper's hooks for loading a DLL and for a missing DLL or function,
// declared by <delayimp.h> (const in Microsoft's, not in MinGW-w64's).
#ifdef _MSC_VER
const PfnDliHook __pfnDliNotifyHook2 = DelayLoadNotifyHook;
const PfnDliHook __pfnDliFailureHook2 = DelayLoadFailureHook;
#else
PfnDliHook __pfnDliNotifyHook2 = DelayLoadNotifyHook;
PfnDliHook __pfnDliFailureHook2 = DelayLoadFailureHook;
#endif

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow)
{
    return AfxWinMain(hInstance, nCmdShow);
}
