// Entry point: the framework runs the one application object.
#include "framework/App.h"
#include "app/AudioControlApp.h"

static CAudioControlApp theApp;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow)
{
    return AfxWinMain(hInstance, nCmdShow);
}
