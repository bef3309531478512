#include "CloseRequests.h"
#include <shellapi.h>

namespace
{
bool PostClose(HWND hWnd)
{
    return hWnd != nullptr && ::PostMessageA(hWnd, WM_CLOSE, 0, 0) != FALSE;
}

// Every window is asked first, then every window is told; a window that went away in
// between (the program ending) is no failure.
bool EndSessionCloseApp(DWORD dwProcessId)
{
    std::vector<HWND> windows = FindTopWindows(nullptr, nullptr, dwProcessId);
    if (windows.empty())
        return false;
    bool bAgreed = true;
    for (HWND hWnd : windows)
    {
        DWORD_PTR nAnswer = 0;
        if (::SendMessageTimeoutA(hWnd, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                  SMTO_ABORTIFHUNG, 5000, &nAnswer) == 0 || nAnswer == 0)
            bAgreed = false;
    }
    for (HWND hWnd : windows)
    {
        DWORD_PTR nAnswer = 0;
        ::SendMessageTimeoutA(hWnd, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG,
                              5000, &nAnswer);
    }
    return bAgreed;
}

bool TaskKill()
{
    CProcess taskkill;
    DWORD dwCode = 1;
    return taskkill.Start("taskkill.exe /im Aurelon3D.exe") && taskkill.WaitForExit(15000, &dwCode) &&
           dwCode == 0;
}
}

const char* CloseRequestName(CloseRequest request)
{
    static const char* const s_names[CLOSE_REQUEST_COUNT] = {
        "MainWindow", "TrayReceiver", "Panel", "SessionCloseApp", "TaskKill"};
    return request < CLOSE_REQUEST_COUNT ? s_names[request] : "?";
}

bool RequestClose(CAurelonProgram& program, CloseRequest request)
{
    switch (request)
    {
    case CLOSE_MAIN_WINDOW:
        return PostClose(program.MainWnd());
    case CLOSE_TRAY_RECEIVER:
        return PostClose(program.TrayReceiver());
    case CLOSE_PANEL:
        return PostClose(program.Panel());
    case CLOSE_SESSION_CLOSEAPP:
        return EndSessionCloseApp(program.Process().GetId());
    case CLOSE_TASKKILL:
        return TaskKill();
    default:
        return false;
    }
}

bool TrayIconPresent(HWND hReceiver, UINT nID)
{
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hReceiver;
    nid.uID = nID;
    return hReceiver != nullptr && ::Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}
