#include "app/TaskBarButton.h"
#include "app/PrivateMessages.h"
#include "framework/App.h"
#include "framework/Wnd.h"
#include <shellapi.h>

namespace
{
const char kReceiverClass[] = "TaskBarButtonWindowClass";
const char kReceiverTitle[] = "TaskBarButton Message Receiver";

CNullTaskBarButtonNotify g_nullNotify;

// The shell broadcasts this message when it (re)starts; icons must then be added again.
// 0 when it could not be registered: no message then means a shell restart.
UINT TaskbarCreatedMessage()
{
    static const UINT s_uMessage = ::RegisterWindowMessageA("TaskbarCreated");
    return s_uMessage;
}

NOTIFYICONDATAA MakeRecord(UINT nID, UINT uFlags)
{
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = CTaskBarButton::m_hReceiverWnd;
    nid.uID = nID;
    nid.uFlags = uFlags;
    return nid;
}
}

HICON LoadTrayPicture(UINT nIconID)
{
    return static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIconID),
                                           IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

HWND CTaskBarButton::m_hReceiverWnd = nullptr;
int CTaskBarButton::m_nIconCount = 0;
CFlatMap<UINT, CTaskBarButton*> CTaskBarButton::s_liveIcons;
UINT CTaskBarButton::s_nNextID = 1;

CTaskBarButtonNotify* CNotifySource::SetNotify(CTaskBarButtonNotify* pNotify)
{
    CTaskBarButtonNotify* pPrevious = m_pNotify;
    m_pNotify = pNotify != nullptr ? pNotify : GetDefaultNotify();
    return pPrevious;
}

void CopyTipText(char (&szTip)[64], LPCSTR lpszText, UINT nCodePage)
{
    size_t n = 0;
    if (lpszText != nullptr)
    {
        while (lpszText[n] != '\0')
        {
            BOOL bLead = ::IsDBCSLeadByteEx(nCodePage, static_cast<BYTE>(lpszText[n]));
            size_t nChar = bLead && lpszText[n + 1] != '\0' ? 2 : 1;
            if (n + nChar > sizeof(szTip) - 1)
                break;
            n += nChar;
        }
        memcpy(szTip, lpszText, n);
    }
    szTip[n] = '\0';
}

CTaskBarButton::CTaskBarButton(UINT nIconID, LPCSTR lpszTip)
    : m_nID(s_nNextID++), m_nIconID(nIconID), m_szTip()
{
    m_pNotify = GetDefaultNotify();
    CreateReceiverWindow();
    ++m_nIconCount;
    s_liveIcons.SetAt(m_nID, this);
    CopyTipText(m_szTip, lpszTip);
    AddIcon();
}

CTaskBarButton::~CTaskBarButton()
{
    NOTIFYICONDATAA nid = MakeRecord(m_nID, 0);
    ::Shell_NotifyIconA(NIM_DELETE, &nid);
    s_liveIcons.RemoveKey(m_nID);
    if (--m_nIconCount == 0 && ::IsWindow(m_hReceiverWnd))
    {
        ::DestroyWindow(m_hReceiverWnd);
        m_hReceiverWnd = nullptr;
    }
}

CTaskBarButtonNotify* CTaskBarButton::GetDefaultNotify()
{
    return &g_nullNotify;
}

BOOL CTaskBarButton::AddIcon() const
{
    NOTIFYICONDATAA nid = MakeRecord(m_nID, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    nid.uCallbackMessage = WM_TASKBARBUTTON;
    nid.hIcon = LoadTrayPicture(m_nIconID);
    memcpy(nid.szTip, m_szTip, sizeof(m_szTip));
    BOOL bAdded = ::Shell_NotifyIconA(NIM_ADD, &nid);
    if (nid.hIcon != nullptr)
        ::DestroyIcon(nid.hIcon);
    return bAdded;
}

void CTaskBarButton::SetIcon(UINT nIconID)
{
    m_nIconID = nIconID;
    NOTIFYICONDATAA nid = MakeRecord(m_nID, NIF_ICON);
    nid.hIcon = LoadTrayPicture(nIconID);
    ::Shell_NotifyIconA(NIM_MODIFY, &nid);
    if (nid.hIcon != nullptr)
        ::DestroyIcon(nid.hIcon);
}

void CTaskBarButton::SetTip(LPCSTR lpszTip)
{
    CopyTipText(m_szTip, lpszTip);
    NOTIFYICONDATAA nid = MakeRecord(m_nID, NIF_TIP);
    memcpy(nid.szTip, m_szTip, sizeof(m_szTip));
    ::Shell_NotifyIconA(NIM_MODIFY, &nid);
}

void CTaskBarButton::OnTrayNotify(UINT nMouseMessage)
{
    if (m_pNotify == nullptr)
        return;
    switch (nMouseMessage)
    {
    case WM_MOUSEMOVE:      m_pNotify->OnMouseMove(); break;
    case WM_LBUTTONDOWN:    m_pNotify->OnLButtonDown(); break;
    case WM_LBUTTONUP:      m_pNotify->OnLButtonUp(); break;
    case WM_LBUTTONDBLCLK:  m_pNotify->OnLButtonDblClk(); break;
    case WM_RBUTTONDOWN:    m_pNotify->OnRButtonDown(); break;
    case WM_RBUTTONUP:      m_pNotify->OnRButtonUp(); break;
    default:                break;
    }
}

void CTaskBarButton::ReAddAllIcons()
{
    for (const auto& entry : s_liveIcons)
        entry.second->AddIcon();
}

void CTaskBarButton::ReloadAllPictures()
{
    for (const auto& entry : s_liveIcons)
        entry.second->SetIcon(entry.second->m_nIconID);
}

BOOL CTaskBarButton::CreateReceiverWindow()
{
    if (m_hReceiverWnd == nullptr)
    {
        HINSTANCE hInstance = AfxGetInstanceHandle();
        WNDCLASSA wc = {};
        if (!::GetClassInfoA(hInstance, kReceiverClass, &wc))
        {
            wc.lpfnWndProc = &CTaskBarButton::ReceiverWndProc;
            wc.hInstance = hInstance;
            wc.lpszClassName = kReceiverClass;
            if (!::RegisterClassA(&wc))
                return FALSE;
        }
        TaskbarCreatedMessage();
        m_hReceiverWnd = ::CreateWindowExA(0, kReceiverClass, kReceiverTitle, WS_POPUP,
                                           CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr,
                                           hInstance, nullptr);
    }
    return m_hReceiverWnd != nullptr;
}

LRESULT CALLBACK CTaskBarButton::ReceiverWndProc(HWND hWnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam)
{
    if (message == WM_TASKBARBUTTON)
    {
        CTaskBarButton* pButton = s_liveIcons.Lookup(static_cast<UINT>(wParam));
        if (pButton != nullptr)
            pButton->OnTrayNotify(static_cast<UINT>(lParam));
    }
    else if (message == WM_CLOSE)
    {
        // The icons need their receiver while they live. A close request from another
        // program (taskkill) means the program that shows them: its main window decides.
        CWinApp* pApp = AfxGetApp();
        if (pApp != nullptr && pApp->m_pMainWnd != nullptr)
            ::PostMessageA(pApp->m_pMainWnd->m_hWnd, WM_CLOSE, 0, 0);
        return 0;
    }
    else if (message == WM_NCDESTROY && hWnd == m_hReceiverWnd)
    {
        // Destroyed by someone else: the next icon must get a new receiver.
        m_hReceiverWnd = nullptr;
    }
    else if (message == WM_SETTINGCHANGE)
    {
        // The small icon size may have changed with the DPI or the icon metrics.
        ReloadAllPictures();
    }
    else if (message != 0 && message == TaskbarCreatedMessage())
    {
        ReAddAllIcons();
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}
