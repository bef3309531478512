#include "framework/Controls.h"

void CButton::DrawItem(const DRAWITEMSTRUCT*)
{
}

BOOL CButton::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult)
{
    if (message != WM_DRAWITEM)
        return FALSE;
    DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    *pResult = TRUE;
    return TRUE;
}

CToolTipCtrl::~CToolTipCtrl()
{
    DestroyWindow();
}

BOOL CToolTipCtrl::Create(CWnd* pOwner, DWORD dwStyle)
{
    return CreateEx(0, TOOLTIPS_CLASSA, nullptr, dwStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, pOwner != nullptr ? pOwner->m_hWnd : nullptr,
                    nullptr);
}

namespace
{
TOOLINFOA MakeToolInfo(HWND hWndOwner, HWND hWndTool, LPCSTR lpszText)
{
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = hWndOwner;
    ti.uId = reinterpret_cast<UINT_PTR>(hWndTool);
    ti.lpszText = const_cast<LPSTR>(lpszText);
    return ti;
}
}

BOOL CToolTipCtrl::AddTool(HWND hWndTool, LPCSTR lpszText) const
{
    TOOLINFOA ti = MakeToolInfo(::GetParent(hWndTool), hWndTool, lpszText);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti)));
}

void CToolTipCtrl::UpdateTipText(LPCSTR lpszText, HWND hWndTool) const
{
    TOOLINFOA ti = MakeToolInfo(::GetParent(hWndTool), hWndTool, lpszText);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::RelayEvent(const MSG* pMsg) const
{
    SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg));
}

std::string CToolTipCtrl::GetToolText(HWND hWndTool) const
{
    // Tooltip texts are at most 80 characters unless given by callback; ours are up to 100.
    char szText[1024] = "";
    TOOLINFOA ti = MakeToolInfo(::GetParent(hWndTool), hWndTool, szText);
    SendMessage(TTM_GETTEXTA, sizeof(szText), reinterpret_cast<LPARAM>(&ti));
    return szText;
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    DeleteImageList();
    m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    return m_hImageList != nullptr;
}

void CImageList::DeleteImageList()
{
    if (m_hImageList != nullptr)
        ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
}
