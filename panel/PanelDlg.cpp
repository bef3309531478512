#include "panel/PanelDlg.h"
#include "app/PrivateMessages.h"
#include "app/TaskBarButton.h"
#include "draw/DpiScale.h"
#include "draw/PaletteBitmap.h"
#include "framework/App.h"
#include "mixer/DeviceWatch.h"
#include "mixer/MixerDiscovery.h"
#include "panel/PanelTrayNotify.h"
#include "support/AboutDlg.h"
#include "support/RegistryKey.h"
#include "support/RegistryValue.h"

BEGIN_MESSAGE_MAP(CPanelDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_ENABLED, OnEnabled)
    ON_WM_DESTROY()
    ON_WM_HSCROLL()
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_BN_CLICKED(IDC_PRESET1, OnPreset1)
    ON_BN_CLICKED(IDC_PRESET2, OnPreset2)
    ON_BN_CLICKED(IDC_PRESET3, OnPreset3)
    ON_WM_CONTEXTMENU()
    ON_COMMAND(ID_SAVE_SETTINGS, OnSaveSettings)
    ON_COMMAND(ID_RESTORE_DEFAULT, OnRestoreDefault)
    ON_COMMAND(ID_CHANGE_DESCRIPTION, OnChangeDescription)
    ON_MESSAGE(UWM_GETTOOLTIP, OnGetToolTip)
    ON_WM_PALETTECHANGED()
    ON_WM_QUERYNEWPALETTE()
    ON_WM_ENDSESSION()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

UINT TrayIconForState(int nVariant, LONG bMuted)
{
    if (nVariant == MIXER3D_SRS)
        return bMuted == 0 ? IDI_SRS_ON : IDI_SRS_OFF;
    return bMuted == 0 ? IDI_QSOUND_ON : IDI_QSOUND_OFF;
}

CPanelDlg::CPanelDlg(CWnd* pParent)
    : CDialog(IDD, pParent),
      m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_nDpi(kBaseDpi), m_crTransparent(0), m_nCurPreset(1), m_bEscapeDown(FALSE),
      m_pTrayNotify(nullptr), m_pTrayIcon(nullptr), m_nMenuPreset(0), m_nModal(0),
      m_hWndNoticePending(nullptr)
{
}

CPanelDlg::~CPanelDlg()
{
}

void CPanelDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_PRESET3, m_btnPreset3);
    DDX_Control(pDX, IDC_PRESET2, m_btnPreset2);
    DDX_Control(pDX, IDC_PRESET1, m_btnPreset1);
    DDX_Control(pDX, IDC_SPACE_LABEL, m_wndSpaceLabel);
    DDX_Control(pDX, IDC_CENTER_LABEL, m_wndCenterLabel);
    DDX_Control(pDX, IDC_ENABLED, m_chkEnabled);
    DDX_Control(pDX, IDC_SPACE, m_wndSpace);
    DDX_Control(pDX, IDC_CENTER, m_wndCenter);
}

BOOL CPanelDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    HMENU hSysMenu = ::GetSystemMenu(m_hWnd, FALSE);
    std::string about = AfxLoadString(IDS_ABOUTBOX);
    if (hSysMenu != nullptr && !about.empty())
    {
        ::AppendMenuA(hSysMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(hSysMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_toolTip.Create(this, WS_POPUP);

    m_nDpi = ScreenDpi();
    LoadPresets();
    BOOL bQuiet = ReadQuietFlag();
    if (!OpenMixer())
    {
        if (!bQuiet)
        {
            ::MessageBoxA(m_hWnd, AfxLoadString(IDS_NO_MIXER).c_str(),
                          AfxLoadString(IDS_PRODUCT).c_str(), MB_OK | MB_ICONSTOP);
        }
        ::PostQuitMessage(0);
        return FALSE;
    }
    m_nCurPreset = 0;
    SelectPreset(0);

    CreateTrayIcon();
    SetVariantTexts();
    LoadLogo();
    LoadStrip();
    SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE);
    // FALSE: the dialog manager would otherwise focus the first control now, which
    // activates the hidden panel and takes the keyboard from the program the user is in.
    // The first control still gets the focus whenever the panel is shown.
    return FALSE;
}

// The machine's one-shot start-up flag: an unnamed REG_DWORD, consumed by every start.
// A value of 1 silences the message about a missing mixer. The flag counts only when this
// start could delete it: a user who may read the machine's keys but not change them (a
// standard user) would otherwise be silenced on every start, not on one.
BOOL CPanelDlg::ReadQuietFlag() const
{
    CRegistryKey key(HKEY_LOCAL_MACHINE, AfxLoadString(IDS_REG_ROOT).c_str());
    if (!key.Open(FALSE, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, nullptr, FALSE))
        return FALSE;
    CRegistryDwordValue value(&key, AfxLoadString(IDS_REG_QUIET).c_str());
    DWORD dwQuiet = 0;
    if (!value.Exists() || !value.Read(&dwQuiet))
        return FALSE;
    return value.DeleteValue() && dwQuiet == 1;
}

UINT CPanelDlg::TitleID() const
{
    return m_mixer.m_nVariant == MIXER3D_SRS ? IDS_TITLE_SRS : IDS_TITLE_QSOUND;
}

void CPanelDlg::CreateTrayIcon()
{
    std::string product = AfxLoadString(TitleID());
    m_pTrayNotify = new CPanelTrayNotify(this);
    m_pTrayIcon = new CTaskBarButton(TrayIconID(), product.c_str());
    m_pTrayIcon->SetNotify(m_pTrayNotify);
    SetWindowText(product.c_str());
}

UINT CPanelDlg::TrayIconID() const
{
    return TrayIconForState(m_mixer.m_nVariant, m_mixer.m_bMuted);
}

void CPanelDlg::SetVariantTexts()
{
    BOOL bSRS = m_mixer.m_nVariant == MIXER3D_SRS;
    m_wndCenterLabel.SetWindowText(
        AfxLoadString(bSRS ? IDS_LABEL_SRS_CENTER : IDS_LABEL_QSOUND_VOLUME).c_str());
    m_wndSpaceLabel.SetWindowText(
        AfxLoadString(bSRS ? IDS_LABEL_SRS_SPACE : IDS_LABEL_QSOUND_SPACE).c_str());
}

// Loads the technology's logo with its palette, and takes the colour of its top-left
// pixel as the colour that painting leaves transparent. Another technology's logo of
// a reopen is gone even when this one does not load.
void CPanelDlg::LoadLogo()
{
    m_logoBitmap.DeleteObject();
    m_logoPalette.DeleteObject();
    UINT nLogo = m_mixer.m_nVariant == MIXER3D_SRS ? IDB_SRS_LOGO : IDB_QSOUND_LOGO;
    HPALETTE hPalette = nullptr;
    HBITMAP hBitmap = LoadResourceBitmap(AfxGetResourceHandle(), MAKEINTRESOURCEA(nLogo), &hPalette,
                                         m_nDpi);
    if (hBitmap != nullptr)
        m_logoBitmap.Attach(hBitmap);
    if (hPalette != nullptr)
        m_logoPalette.Attach(hPalette);

    HDC hdc = ::CreateCompatibleDC(nullptr);
    if (hdc == nullptr)
        return;
    HPALETTE hOldPalette = m_logoPalette.GetSafeHandle() != nullptr
        ? ::SelectPalette(hdc, m_logoPalette, FALSE) : nullptr;
    HGDIOBJ hOldBitmap = ::SelectObject(hdc, m_logoBitmap.GetSafeHandle());
    m_crTransparent = ::GetPixel(hdc, 0, 0);
    ::SelectObject(hdc, hOldBitmap);
    if (hOldPalette != nullptr)
        ::SelectPalette(hdc, hOldPalette, FALSE);
    ::DeleteDC(hdc);
}

// The template's strip is drawn for 96 DPI and the English dialog font; the dialog around
// it grows with its font (with the DPI, not exactly, and in Japanese with MS UI Gothic),
// and the strip runs down the panel's whole height.
void CPanelDlg::LoadStrip()
{
    HWND hStrip = ::GetDlgItem(m_hWnd, IDC_STRIP);
    if (hStrip == nullptr)
        return;
    RECT rc;
    GetClientRect(&rc);
    BITMAP bm = {};
    HGDIOBJ hTemplate = reinterpret_cast<HGDIOBJ>(::SendMessageA(hStrip, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (m_nDpi == kBaseDpi && hTemplate != nullptr && ::GetObjectA(hTemplate, sizeof(bm), &bm) != 0 &&
        bm.bmHeight == rc.bottom)
        return;
    HBITMAP hBitmap = LoadResourceBitmap(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_STRIP),
                                         nullptr, m_nDpi, rc.bottom);
    if (hBitmap == nullptr)
        return;
    m_stripBitmap.Attach(hBitmap);
    // The control hands back the template's picture, which it loaded itself.
    HGDIOBJ hOld = reinterpret_cast<HGDIOBJ>(::SendMessageA(
        hStrip, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
    if (hOld != nullptr && hOld != hBitmap)
        ::DeleteObject(hOld);
}

POINT PlacePanel(POINT pt, int nWidth, int nHeight, const RECT& rcMonitor)
{
    if (pt.x + nWidth > rcMonitor.right)
        pt.x -= nWidth;
    if (pt.y + nHeight > rcMonitor.bottom)
        pt.y = rcMonitor.bottom - nHeight;
    return pt;
}

RECT MonitorRectAt(POINT pt)
{
    RECT rc = { 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN) };
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    HMONITOR hMonitor = ::MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST);
    if (hMonitor != nullptr && ::GetMonitorInfoA(hMonitor, &info))
        rc = info.rcMonitor;
    return rc;
}

void CPanelDlg::ShowPanel(BOOL bShow, const POINT* pAnchor)
{
    if (!bShow)
    {
        ShowWindow(SW_HIDE);
        return;
    }
    RECT rc;
    GetWindowRect(&rc);
    POINT pt;
    if (pAnchor != nullptr)
        pt = *pAnchor;
    else
        ::GetCursorPos(&pt);
    const int nWidth = rc.right - rc.left;
    const int nHeight = rc.bottom - rc.top;
    pt = PlacePanel(pt, nWidth, nHeight, MonitorRectAt(pt));
    MoveWindow(pt.x, pt.y, nWidth, nHeight, TRUE);
    ShowWindow(SW_SHOWNORMAL);
    SetForegroundWindow();
}

void CPanelDlg::ShowAbout()
{
    if (IsModal())
    {
        BringModalToFront();
        return;
    }
    CModalScope modal(this);
    CAboutDlg dlg(this);
    dlg.m_nVariant = m_mixer.m_nVariant;
    dlg.DoModal();
}

void CPanelDlg::BeginModal()
{
    if (m_nModal++ == 0 && m_pTrayNotify != nullptr)
        m_pTrayNotify->m_bEnabled = FALSE;
}

// A second start that came meanwhile gets its notice now, from the message loop.
void CPanelDlg::EndModal()
{
    if (--m_nModal > 0)
        return;
    if (m_pTrayNotify != nullptr)
        m_pTrayNotify->m_bEnabled = TRUE;
    if (m_hWndNoticePending != nullptr)
        ::PostMessageA(m_hWndNoticePending, WM_INSTANCENOTIFY, 0, 1);
    m_hWndNoticePending = nullptr;
}

// The dialogs are owned by the panel; a menu has nothing to bring forward.
void CPanelDlg::BringModalToFront() const
{
    HWND hPopup = ::GetLastActivePopup(m_hWnd);
    if (hPopup != nullptr && hPopup != m_hWnd && ::IsWindowVisible(hPopup))
        ::SetForegroundWindow(hPopup);
}

BOOL CPanelDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam))
    {
    case IDM_ABOUTBOX:
        ShowAbout();
        break;
    case ID_SETTINGS:
        ShowPanel(TRUE);
        break;
    case ID_APP_EXIT:
        ExitProgram();
        return FALSE;
    default:
        break;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CPanelDlg::ExitProgram()
{
    // Both of the program's menus belong to the panel: this ends whichever is open (EndMenu
    // does the same, from 98 and 2000 on).
    SendMessage(WM_CANCELMODE, 0, 0);
    ::PostQuitMessage(0);
    ShowPanel(FALSE);
}

void CPanelDlg::OnOK()
{
    ShowPanel(FALSE);
}

void CPanelDlg::OnSysCommand(UINT nID, LPARAM)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
        ShowAbout();
    else if ((nID & 0xFFF0) == SC_CLOSE)
        ShowPanel(FALSE);   // Alt+F4 closes the popup, as Escape does; WM_CLOSE ends the program
    else
        Default();
}

HCURSOR CPanelDlg::OnQueryDragIcon()
{
    return m_hIcon;
}

// The dialog manager answers Escape with IDCANCEL, which hides the panel, and hands the
// key to nobody: the key handler takes note of it first, so that the release that
// follows is kept from the default processing as well.
BOOL CPanelDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->hwnd == m_hWnd && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE)
        OnKeyDown(VK_ESCAPE, LOWORD(pMsg->lParam), HIWORD(pMsg->lParam));
    return CDialog::PreTranslateMessage(pMsg);
}

// Escape is the dialog manager's (it hides the panel); the key messages themselves
// are swallowed so that the default processing never sees them.
void CPanelDlg::OnKeyDown(UINT nChar, UINT, UINT)
{
    if (nChar == VK_ESCAPE)
        m_bEscapeDown = TRUE;
    else
        Default();
}

void CPanelDlg::OnKeyUp(UINT, UINT, UINT)
{
    if (m_bEscapeDown)
        m_bEscapeDown = FALSE;
    else
        Default();
}

void CPanelDlg::OnContextMenu(HWND hWnd, POINT point)
{
    int nPreset = 0;
    for (size_t i = 1; i < m_presets.size(); ++i)
    {
        if (m_presets[i] != nullptr && m_presets[i]->m_pButton != nullptr &&
            m_presets[i]->m_pButton->m_hWnd == hWnd)
            nPreset = static_cast<int>(i);
    }
    if (nPreset == 0)
        return;
    HMENU hMenu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_PRESETMENU));
    HMENU hPopup = hMenu != nullptr ? ::GetSubMenu(hMenu, 0) : nullptr;
    if (hPopup != nullptr)
    {
        if (point.x == -1 && point.y == -1)
        {
            // Opened from the keyboard: below the button rather than off screen.
            RECT rc;
            ::GetWindowRect(hWnd, &rc);
            point.x = rc.left;
            point.y = rc.bottom;
        }
        m_nMenuPreset = nPreset;
        CModalScope modal(this);
        ::TrackPopupMenu(hPopup, TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    }
    if (hMenu != nullptr)
        ::DestroyMenu(hMenu);
}

LRESULT CPanelDlg::OnGetToolTip(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(&m_toolTip);
}

void CPanelDlg::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    if (IsIconic())
    {
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc));
        RECT rc;
        GetClientRect(&rc);
        int x = (rc.right - rc.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (rc.bottom - rc.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        ::DrawIcon(hdc, x, y, m_hIcon);
    }
    else
    {
        // Realized in the background: the logo's colours map onto whatever palette the
        // foreground window has realized, or onto its own when the panel chose it.
        HPALETTE hOld = m_logoPalette.GetSafeHandle() != nullptr
            ? ::SelectPalette(hdc, m_logoPalette, TRUE) : nullptr;
        if (hOld != nullptr)
            ::RealizePalette(hdc);
        DrawTransparentBitmap(hdc, m_logoBitmap, static_cast<short>(ScaleToDpi(24, m_nDpi)),
                              static_cast<short>(ScaleToDpi(3, m_nDpi)), m_crTransparent);
        if (hOld != nullptr)
            ::SelectPalette(hdc, hOld, TRUE);
    }
    ::EndPaint(m_hWnd, &ps);
}

// What the panel does when it may choose its palette: the default processing of
// WM_QUERYNEWPALETTE, whatever message is being handled, then, on a display with a
// palette (256 colours), the logo's palette realized as the foreground palette in the
// panel's own DC. A nonzero default answer, or colours that the realization changed,
// repaint the panel and are the result.
BOOL CPanelDlg::QueryLogoPalette()
{
    BOOL bResult = static_cast<BOOL>(DefWindowProc(WM_QUERYNEWPALETTE, 0, 0));
    if (m_logoPalette.GetSafeHandle() != nullptr)
    {
        HDC hdc = ::GetDC(m_hWnd);
        if ((::GetDeviceCaps(hdc, RASTERCAPS) & RC_PALETTE) != 0)
        {
            HPALETTE hOld = ::SelectPalette(hdc, m_logoPalette, FALSE);
            if (::RealizePalette(hdc) > 0)
                bResult = TRUE;
            ::SelectPalette(hdc, hOld, TRUE);
        }
        ::ReleaseDC(m_hWnd, hdc);
    }
    if (bResult)
        Invalidate();
    return bResult;
}

BOOL CPanelDlg::OnQueryNewPalette()
{
    return QueryLogoPalette();
}

// Another window's palette change gets the same answer as a palette query, after the
// change's own default processing; the panel's own change gets only the latter.
void CPanelDlg::OnPaletteChanged(HWND hFocusWnd)
{
    Default();
    if (hFocusWnd != m_hWnd)
        QueryLogoPalette();
}

// Another program asks the program to close (taskkill, an uninstaller): end it as "E&xit"
// does, never by destroying windows under a running modal loop.
void CPanelDlg::OnClose()
{
    ExitProgram();
}

// A session that ends may never see the normal exit: keep what is not stored yet. The
// Restart Manager (ENDSESSION_CLOSEAPP) then expects the program to end by itself.
void CPanelDlg::OnEndSession(BOOL bEnding, UINT nOptions)
{
    if (!bEnding)
        return;
    SavePresets();
    if ((nOptions & ENDSESSION_CLOSEAPP) != 0)
        ExitProgram();
}

void CPanelDlg::OnDestroy()
{
    SavePresets();
    CloseMixer();
    StopWatchingAudioInterfaces(m_hDeviceWatch);
    m_hDeviceWatch = nullptr;
    Default();
    m_presets.clear();
    if (m_pTrayNotify != nullptr)
    {
        if (m_pTrayIcon != nullptr)
            m_pTrayIcon->SetNotify(nullptr);
        delete m_pTrayNotify;
        m_pTrayNotify = nullptr;
    }
    delete m_pTrayIcon;
    m_pTrayIcon = nullptr;
}
