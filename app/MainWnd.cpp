#include "app/MainWnd.h"
#include "app/PrivateMessages.h"
#include "app/RunningDlg.h"
#include "framework/App.h"
#include "panel/PanelDlg.h"
#include "resource.h"

int CMainWnd::m_bNoticeShowing = 0;

BEGIN_MESSAGE_MAP(CMainWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_WM_ENDSESSION()
    ON_WM_ACTIVATEAPP()
    ON_MESSAGE(WM_INSTANCENOTIFY, OnInstanceNotify)
END_MESSAGE_MAP()

CMainWnd::CMainWnd()
    : m_pPanel(nullptr), m_bRunning(FALSE)
{
}

CMainWnd::~CMainWnd()
{
}

BOOL CMainWnd::CreateMainWindow()
{
    std::string className = AfxLoadString(IDS_WINDOW_CLASS);
    HINSTANCE hInstance = AfxGetInstanceHandle();
    WNDCLASSA wc = {};
    if (!::GetClassInfoA(hInstance, className.c_str(), &wc))
    {
        // Our messages reach this object through the framework; the class procedure
        // only serves windows of the class that the framework does not manage.
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = hInstance;
        wc.lpszClassName = className.c_str();
        if (!::RegisterClassA(&wc))
            return FALSE;
    }
    std::string title = AfxLoadString(IDS_PRODUCT);
    return CreateEx(0, className.c_str(), title.c_str(), 0, 0, 0, 0, 0, nullptr, nullptr);
}

int CMainWnd::OnCreate(LPCREATESTRUCT)
{
    if (Default() == -1)
        return -1;
    m_pPanel = new CPanelDlg(nullptr);
    m_pPanel->Create(IDD_PANEL, nullptr);
    m_bRunning = m_pPanel->m_hWnd != nullptr;
    return 0;
}

void CMainWnd::OnDestroy()
{
    m_bRunning = FALSE;
    // Out of reach before its destruction begins, which removes the icon: a request
    // that comes in during that removal finds no panel.
    CPanelDlg* pPanel = m_pPanel;
    m_pPanel = nullptr;
    if (pPanel != nullptr)
    {
        pPanel->DestroyWindow();
        delete pPanel;
    }
    Default();
}

// The default would destroy the window, and with it the panel, while a modal loop of the
// panel (About box, menu, message box) or the notice may still run on the stack. The quit
// message instead ends those loops first, then the normal exit destroys everything.
void CMainWnd::OnClose()
{
    if (m_pPanel != nullptr)
        m_pPanel->ExitProgram();
    else
        ::PostQuitMessage(0);
}

// A session end told only to the identity window still reaches the panel's presets.
void CMainWnd::OnEndSession(BOOL bEnding, UINT nOptions)
{
    if (m_pPanel != nullptr && m_pPanel->m_hWnd != nullptr)
        m_pPanel->SendMessage(WM_ENDSESSION, static_cast<WPARAM>(bEnding), static_cast<LPARAM>(nOptions));
}

void CMainWnd::OnActivateApp(BOOL bActive, DWORD)
{
    Default();
    if (!bActive && m_pPanel != nullptr)
        m_pPanel->ShowWindow(SW_HIDE);
}

// TRUE from the end of start-up (panel and icon made) until the exit begins: the quit
// message posted by "E&xit" or a close request, or the destruction.
BOOL CMainWnd::IsRunning() const
{
    // Posted messages only: a request sent meanwhile must not be handled inside this check.
    MSG msg;
    return m_bRunning && m_pPanel != nullptr &&
           !::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE | PM_QS_POSTMESSAGE);
}

// A request that arrives while the program starts or ends (inside the tray icon's add or
// removal, which wait for the shell) is answered at once: no notice over a half-made or
// half-destroyed panel. One that arrives while a dialog or menu of the program is open
// leaves the panel as it is and gets its notice once that has ended.
LRESULT CMainWnd::OnInstanceNotify(WPARAM wParam, LPARAM lParam)
{
    if (m_bNoticeShowing == 1 || !IsRunning())
        return 0;
    if (m_pPanel->IsModal())
    {
        m_pPanel->BringModalToFront();
        if (lParam == 1)
            m_pPanel->DeferNotice(m_hWnd);
        return 0;
    }
    m_pPanel->ShowWindow(wParam == 1 ? SW_SHOWNORMAL : SW_HIDE);
    if (lParam != 1)
        return 0;
    m_bNoticeShowing = 1;
    {
        CModalScope modal(m_pPanel);
        CRunningDlg dlg(m_pPanel);
        dlg.m_nVariant = m_pPanel->GetVariant();
        dlg.DoModal();
    }
    m_bNoticeShowing = 0;
    return 0;
}
