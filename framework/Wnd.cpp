#include "framework/Wnd.h"
#include "framework/App.h"
#include "framework/FlatMap.h"

namespace
{
// The object of every attached window. Every message looks its window up here; a window
// property would cost a round trip to the window server under Wine on each look-up.
// Windows are attached and messages dispatched on the GUI thread only.
CFlatMap<HWND, CWnd*>& AttachedWindows()
{
    static CFlatMap<HWND, CWnd*> s_windows;
    return s_windows;
}

// The object being created by CreateEx, until the creation hook binds its window. Windows
// are made on the GUI thread only.
CWnd* g_pWndInit = nullptr;

// Binds the window that CreateEx is making before its first message (WM_NCCREATE),
// whatever window procedure its class has.
LRESULT CALLBACK CreationHookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_CREATEWND && g_pWndInit != nullptr)
    {
        CWnd* pWnd = g_pWndInit;
        g_pWndInit = nullptr;
        pWnd->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
}

CWnd::CWnd()
    : m_hWnd(nullptr), m_pfnSuper(nullptr), m_currentMsg()
{
}

CWnd::~CWnd()
{
    // Wrappers never destroy windows they did not create; they only let go of them.
    if (m_hWnd != nullptr)
        Detach();
}

const MSGMAP* CWnd::GetThisMessageMap()
{
    static const MSGMAP_ENTRY entries[] = { { 0, 0, nullptr } };
    static const MSGMAP messageMap = { nullptr, entries };
    return &messageMap;
}

const MSGMAP* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return AttachedWindows().Lookup(hWnd);
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (hWnd == nullptr || m_hWnd != nullptr || !::IsWindow(hWnd))
        return FALSE;
    AttachedWindows().SetAt(hWnd, this);
    m_hWnd = hWnd;
    return TRUE;
}

void CWnd::Detach()
{
    if (m_pfnSuper != nullptr)
    {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    AttachedWindows().RemoveKey(m_hWnd);
    m_hWnd = nullptr;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu)
{
    HHOOK hHook = ::SetWindowsHookExA(WH_CBT, CreationHookProc, nullptr, ::GetCurrentThreadId());
    if (hHook == nullptr)
        return FALSE;
    g_pWndInit = this;
    HWND hWnd = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y,
                                  nWidth, nHeight, hWndParent, hMenu, ::GetModuleHandleA(nullptr),
                                  nullptr);
    g_pWndInit = nullptr;
    ::UnhookWindowsHookEx(hHook);
    return hWnd != nullptr;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    WNDPROC pfnOld = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StdWndProc)));
    m_pfnSuper = pfnOld != &CWnd::StdWndProc ? pfnOld : nullptr;
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

BOOL CWnd::DestroyWindow()
{
    return IsWindow() ? ::DestroyWindow(m_hWnd) : FALSE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

std::string CWnd::GetWindowText() const
{
    std::string text(static_cast<size_t>(::GetWindowTextLengthA(m_hWnd)) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(m_hWnd, &text[0], static_cast<int>(text.size()))));
    return text;
}

BOOL CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) const
{
    return ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

BOOL CWnd::SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) const
{
    return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags);
}

LRESULT CALLBACK CWnd::StdWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    MSG previous = pWnd->m_currentMsg;
    pWnd->m_currentMsg = { hWnd, message, wParam, lParam, 0, { 0, 0 } };
    LRESULT lResult = pWnd->WindowProc(message, wParam, lParam);
    pWnd->m_currentMsg = previous;

    if (message == WM_NCDESTROY && pWnd->m_hWnd == hWnd)
    {
        pWnd->Detach();
        CWinApp* pApp = AfxGetApp();
        if (pApp != nullptr && pApp->m_pMainWnd == pWnd)
            ::PostQuitMessage(0);
        pWnd->PostNcDestroy();
    }
    return lResult;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_currentMsg.message, m_currentMsg.wParam, m_currentMsg.lParam);
}

const MSGMAP_ENTRY* CWnd::FindEntry(const MSGMAP* pMap, UINT message, UINT nID)
{
    for (; pMap != nullptr; pMap = pMap->pBaseMap)
    {
        for (const MSGMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->pfnThunk != nullptr; ++pEntry)
        {
            if (pEntry->nMessage == message && pEntry->nID == nID)
                return pEntry;
        }
    }
    return nullptr;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // Menu commands, accelerators and button clicks; other notifications are not routed.
    if (HIWORD(wParam) > 1)
        return FALSE;
    const MSGMAP_ENTRY* pEntry = FindEntry(GetMessageMap(), WM_COMMAND, LOWORD(wParam));
    if (pEntry == nullptr)
        return FALSE;
    pEntry->pfnThunk(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND)
    {
        *pResult = 0;
        return OnCommand(wParam, lParam);
    }
    if (message == WM_DRAWITEM)
    {
        const DRAWITEMSTRUCT* pDraw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        CWnd* pChild = pDraw != nullptr ? FromHandlePermanent(pDraw->hwndItem) : nullptr;
        if (pChild != nullptr && pChild != this &&
            pChild->OnChildNotify(message, wParam, lParam, pResult))
            return TRUE;
    }
    const MSGMAP_ENTRY* pEntry = FindEntry(GetMessageMap(), message, 0);
    if (pEntry == nullptr)
        return FALSE;
    *pResult = pEntry->pfnThunk(this, wParam, lParam);
    return TRUE;
}

