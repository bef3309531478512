// The floor of a resident tray program: one registered class, one hidden window, one
// tray icon, a message loop. The window also counts WM_FLOOR_COUNT messages posted by
// another process, the floor of following changes made elsewhere.
#include <windows.h>
#include <shellapi.h>

namespace
{
const char kClassName[] = "AurelonBenchFloorTray";
const UINT WM_FLOOR_TRAY = WM_APP;
const UINT WM_FLOOR_COUNT = WM_APP + 1;
const UINT WM_FLOOR_GETCOUNT = WM_APP + 2;

LONG g_nCount = 0;

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

LRESULT CALLBACK FloorWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_FLOOR_COUNT:
        ++g_nCount;
        return 0;
    case WM_FLOOR_GETCOUNT:
        if (wParam != 0)
            g_nCount = 0;
        return g_nCount;
    case WM_DESTROY:
        NotifyIcon(hWnd, NIM_DELETE);
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FloorWndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = kClassName;
    if (::RegisterClassA(&wc) == 0)
        return 1;
    HWND hWnd = ::CreateWindowExA(0, kClassName, "Floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                  CW_USEDEFAULT, 0, nullptr, nullptr, hInstance, nullptr);
    if (hWnd == nullptr)
        return 1;
    NotifyIcon(hWnd, NIM_ADD);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}
