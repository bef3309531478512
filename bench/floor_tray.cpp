// The floor of a resident tray program: one registered class, one hidden popup window,
// one tray icon, a message loop. Its icon's left click shows the window, as a tray
// program shows its panel. Started with "-mixer" it also opens the mixer driver named by
// AURELON_MIXER_DRIVER with the window as callback and reads the changed control on each
// notification: the floor of following changes made elsewhere. Started with "-comctl" it
// first registers the common controls, as a program with trackbars must: what that costs
// the platform is a floor of its own. A marker posted to the window tells another process
// that everything posted before it has been handled.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <string.h>
#include "mixer/MixerDetails.h"

namespace
{
const char kClassName[] = "AurelonBenchFloorTray";
const UINT WM_FLOOR_TRAY = WM_APP;
const UINT WM_FLOOR_MARKER = WM_APP + 1;     // wParam: the marker to keep
const UINT WM_FLOOR_GETMARKER = WM_APP + 2;  // returns the last marker
const UINT WM_FLOOR_GETVALUE = WM_APP + 3;   // returns the last control value read

typedef MMRESULT(WINAPI* MixerOpenProc)(LPHMIXER, UINT, DWORD_PTR, DWORD_PTR, DWORD);
typedef MMRESULT(WINAPI* MixerDetailsProc)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD);

WPARAM g_nMarker = 0;
DWORD g_dwValue = 0;
HMIXER g_hMixer = nullptr;
MixerDetailsProc g_pfnGetDetails = nullptr;

void NotifyIcon(HWND hWnd, DWORD dwMessage)
{
    NOTIFYICONDATAA nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hWnd;
    nid.uID = 1;
    nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = WM_FLOOR_TRAY;
    nid.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    lstrcpynA(nid.szTip, "Floor", sizeof(nid.szTip));
    ::Shell_NotifyIconA(dwMessage, &nid);
}

BOOL OpenMixer(HWND hWnd)
{
    char szPath[MAX_PATH];
    DWORD cch = ::GetEnvironmentVariableA("AURELON_MIXER_DRIVER", szPath, sizeof(szPath));
    HMODULE hDriver = cch != 0 && cch < sizeof(szPath) ? ::LoadLibraryA(szPath) : nullptr;
    if (hDriver == nullptr)
        return FALSE;
    MixerOpenProc pfnOpen = reinterpret_cast<MixerOpenProc>(
        reinterpret_cast<void*>(::GetProcAddress(hDriver, "mixerOpen")));
    g_pfnGetDetails = reinterpret_cast<MixerDetailsProc>(
        reinterpret_cast<void*>(::GetProcAddress(hDriver, "mixerGetControlDetailsA")));
    return pfnOpen != nullptr && g_pfnGetDetails != nullptr &&
           pfnOpen(&g_hMixer, 0, reinterpret_cast<DWORD_PTR>(hWnd), 0, CALLBACK_WINDOW) == MMSYSERR_NOERROR;
}

// The least a follower does per notification: read the control that changed.
void ReadControl(DWORD dwControlID)
{
    DWORD dwValue = 0;
    MIXERCONTROLDETAILS details = SingleValueDetails(dwControlID, &dwValue);
    if (g_pfnGetDetails(reinterpret_cast<HMIXEROBJ>(g_hMixer), &details, MIXER_GETCONTROLDETAILSF_VALUE) ==
        MMSYSERR_NOERROR)
        g_dwValue = dwValue;
}

LRESULT CALLBACK FloorWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case MM_MIXM_CONTROL_CHANGE:
        ReadControl(static_cast<DWORD>(lParam));
        return 0;
    case WM_FLOOR_TRAY:
        if (lParam == WM_LBUTTONUP)
        {
            ::ShowWindow(hWnd, SW_SHOWNORMAL);
            ::SetForegroundWindow(hWnd);
        }
        return 0;
    case WM_FLOOR_MARKER:
        g_nMarker = wParam;
        return 0;
    case WM_FLOOR_GETMARKER:
        return static_cast<LRESULT>(g_nMarker);
    case WM_FLOOR_GETVALUE:
        return static_cast<LRESULT>(g_dwValue);
    case WM_DESTROY:
        NotifyIcon(hWnd, NIM_DELETE);
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int)
{
    if (strstr(lpCmdLine, "-comctl") != nullptr)
    {
        INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_BAR_CLASSES | ICC_WIN95_CLASSES };
        ::InitCommonControlsEx(&icc);
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FloorWndProc;
    wc.hInstance = hInstance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (::RegisterClassA(&wc) == 0)
        return 1;
    // A window of the panel's kind and size: a topmost popup with a dialog frame and a
    // task-bar button, so that showing it costs the platform as much.
    HWND hWnd = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW, kClassName, "Floor",
                                  WS_POPUP, 100, 100, 150, 200, nullptr, nullptr, hInstance, nullptr);
    if (hWnd == nullptr)
        return 1;
    if (strstr(lpCmdLine, "-mixer") != nullptr && !OpenMixer(hWnd))
        return 1;
    NotifyIcon(hWnd, NIM_ADD);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}
