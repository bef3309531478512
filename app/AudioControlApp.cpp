#include "app/AudioControlApp.h"
#include "app/MainWnd.h"
#include "app/PrivateMessages.h"
#include "app/ShortcutInstaller.h"
#include "resource.h"
#include <string.h>

BOOL CAudioControlApp::InitInstance()
{
    HWND hWndResident = ::FindWindowA(AfxLoadString(IDS_WINDOW_CLASS).c_str(), nullptr);
    if (hWndResident != nullptr)
        return SignalResidentInstance(hWndResident);
    if (*m_lpCmdLine == '\0')
        return BecomeResident();
    RunInstaller();
    return FALSE;
}

// Asks the resident instance to hide its panel and show the already-running notice;
// the send returns only when the user has dismissed the notice.
BOOL CAudioControlApp::SignalResidentInstance(HWND hWndResident) const
{
    ::SetForegroundWindow(hWndResident);
    ::SetFocus(hWndResident);
    ::SendMessageA(hWndResident, WM_INSTANCENOTIFY, 0, 1);
    return FALSE;
}

BOOL CAudioControlApp::BecomeResident()
{
    m_nCmdShow = SW_HIDE;
    CMainWnd* pMainWnd = new CMainWnd;
    if (pMainWnd->CreateMainWindow())
    {
        m_pMainWnd = pMainWnd;
        return TRUE;
    }
    delete pMainWnd;
    m_pMainWnd = nullptr;
    return FALSE;
}

void CAudioControlApp::RunInstaller() const
{
    if (!AfxOleInit())
        return;
    if (!ContainsInstallSwitch(m_lpCmdLine, AfxLoadString(IDS_INSTALL_SWITCH).c_str()))
        return;
    char szModule[MAX_PATH];
    if (::GetModuleFileNameA(nullptr, szModule, MAX_PATH) == 0)
        return;
    std::string description = AfxLoadString(IDS_PRODUCT);
    CreateStartupShortcuts(szModule, description.c_str());
    std::string group = AfxLoadString(IDS_PROGRAM_GROUP);
    CreateProgramGroupShortcuts(szModule, group.c_str(), description.c_str());
}

int CAudioControlApp::ExitInstance()
{
    if (m_pMainWnd != nullptr)
    {
        m_pMainWnd->DestroyWindow();
        delete m_pMainWnd;
        m_pMainWnd = nullptr;
    }
    return CWinApp::ExitInstance();
}

BOOL ContainsInstallSwitch(LPCSTR lpszArgs, LPCSTR lpszSwitch)
{
    size_t nLen = strlen(lpszSwitch);
    if (nLen == 0)
        return FALSE;
    for (LPCSTR p = lpszArgs; *p != '\0'; p = ::CharNextA(p))
    {
        if (strncmp(p, lpszSwitch, nLen) == 0)
            return TRUE;
    }
    return FALSE;
}
