#include "app/RunningDlg.h"
#include "framework/App.h"
#include "mixer/MixerDiscovery.h"

BEGIN_MESSAGE_MAP(CRunningDlg, CDialog)
END_MESSAGE_MAP()

CRunningDlg::CRunningDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_nVariant(0)
{
}

CRunningDlg::~CRunningDlg()
{
}

void CRunningDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_TRAY_ICON, m_wndTrayIcon);
    DDX_Control(pDX, IDC_INFO_ICON, m_wndInfoIcon);
}

BOOL CRunningDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Shared resource icons: not destroyed.
    UINT nIcon = m_nVariant == MIXER3D_SRS ? IDI_SRS_ON : IDI_QSOUND_ON;
    m_wndTrayIcon.SetIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIcon)));
    m_wndInfoIcon.SetIcon(::LoadIconA(nullptr, IDI_ASTERISK));
    SetWindowText(AfxLoadString(IDS_PRODUCT).c_str());
    // Its owner, the panel, is hidden: the notice has a task-bar button of its own and
    // comes up in front of the program the user is in (the second start allowed that).
    ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, ::GetWindowLongA(m_hWnd, GWL_EXSTYLE) | WS_EX_APPWINDOW);
    ::SetForegroundWindow(m_hWnd);
    return TRUE;
}
