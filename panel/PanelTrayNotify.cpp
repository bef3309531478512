#include "panel/PanelTrayNotify.h"
#include "framework/App.h"
#include "panel/PanelDlg.h"
#include "resource.h"

CPanelTrayNotify::CPanelTrayNotify(CPanelDlg* pPanel)
    : m_bEnabled(TRUE), m_pPanel(pPanel), m_bClickPending(FALSE)
{
}

void CPanelTrayNotify::OnLButtonDown()
{
    m_bClickPending = TRUE;
}

// While a dialog or menu of the program is open the icon opens nothing on top of it.
void CPanelTrayNotify::Refuse() const
{
    ::MessageBeep(0);
    m_pPanel->BringModalToFront();
}

void CPanelTrayNotify::OnLButtonUp()
{
    if (!m_bEnabled)
        Refuse();
    else if (m_bClickPending)
        m_pPanel->SendMessage(WM_COMMAND, ID_SETTINGS, 0);
    m_bClickPending = FALSE;
}

void CPanelTrayNotify::OnLButtonDblClk()
{
    m_bClickPending = FALSE;
    if (!m_bEnabled)
        Refuse();
    else
        m_pPanel->SendMessage(WM_COMMAND, ID_SETTINGS, 0);
}

// The panel stays as it is under an open dialog of its own.
void CPanelTrayNotify::OnRButtonDown()
{
    if (m_bEnabled)
        m_pPanel->ShowWindow(SW_HIDE);
    ShowMenu(0, 0);
}

void CPanelTrayNotify::OnRButtonUp()
{
}

void CPanelTrayNotify::OnMouseMove()
{
}

void CPanelTrayNotify::ShowMenu(int x, int y)
{
    if (!m_bEnabled)
    {
        Refuse();
        return;
    }
    POINT pt = { x, y };
    if (x == 0 && y == 0)
        ::GetCursorPos(&pt);
    HMENU hMenu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_TRAYMENU));
    HMENU hPopup = hMenu != nullptr ? ::GetSubMenu(hMenu, 0) : nullptr;
    if (hPopup != nullptr)
    {
        m_pPanel->SetForegroundWindow();
        ::SetMenuDefaultItem(hPopup, 0, TRUE);
        CModalScope modal(m_pPanel);
        ::TrackPopupMenu(hPopup, TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_pPanel->m_hWnd, nullptr);
        // Without this the menu of a tray icon does not close when the user clicks elsewhere.
        ::PostMessageA(m_pPanel->m_hWnd, WM_NULL, 0, 0);
    }
    if (hMenu != nullptr)
        ::DestroyMenu(hMenu);
}
