// The panel's binding to the chip's 3D controls: opening and closing the mixer,
// writing user input, and following the driver's change notifications.
#include "panel/PanelDlg.h"
#include "app/TaskBarButton.h"
#include "framework/App.h"
#include "mixer/DeviceWatch.h"
#include "mixer/MixerControls.h"
#include "mixer/MixerDiscovery.h"

BOOL CPanelDlg::OpenMixer()
{
    // A second arrival without a removal between must not leak the open handle, and an
    // open that fails leaves nothing in use and nothing to move.
    CloseMixer();
    if (!FindMixer3D(&m_mixer.m_nDevice, &m_mixer.m_nVariant, &m_mixer.m_nMuteID,
                     &m_mixer.m_nVolumeID) ||
        !OpenMixerDevice(&m_mixer.m_hMixer, m_mixer.m_nDevice, m_hWnd))
    {
        m_mixer.m_hMixer = nullptr;
        return FALSE;
    }
    // A line without a mute cannot switch the effect off: it is on.
    const BOOL bHasMute = m_mixer.m_nMuteID != MIXER3D_NO_CONTROL;
    m_mixer.m_bMuted = bHasMute ? GetMixerBoolean(m_mixer.m_hMixer, m_mixer.m_nMuteID) : 0;
    m_chkEnabled.SetCheck(m_mixer.m_bMuted == 0 ? BST_CHECKED : BST_UNCHECKED);

    BOOL bOK = BindLevel(m_mixer.m_nCenterID, m_wndCenter, m_mixer.m_nCenterStep);
    bOK = BindLevel(m_mixer.m_nSpaceID, m_wndSpace, m_mixer.m_nSpaceStep) && bOK;
    if (!bOK)
    {
        CloseMixer();
        return FALSE;
    }
    EnableControls(TRUE);
    m_chkEnabled.EnableWindow(bHasMute);
    if (m_hDeviceWatch == nullptr && IsNtDeviceModel())
        m_hDeviceWatch = WatchAudioInterfaces(m_hWnd);
    return TRUE;
}

// A reopen may find the chip carrying the other technology: everything that names it
// follows the device now bound.
void CPanelDlg::ReopenMixer()
{
    const int nVariant = m_mixer.m_nVariant;
    if (!OpenMixer())
        return;
    if (m_pTrayIcon != nullptr)
        m_pTrayIcon->SetIcon(TrayIconID());
    if (m_mixer.m_nVariant == nVariant)
        return;
    const std::string product = AfxLoadString(TitleID());
    SetWindowText(product.c_str());
    SetVariantTexts();
    LoadLogo();
    // The panel paints over its children: they repaint with it.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    if (m_pTrayIcon != nullptr)
        m_pTrayIcon->SetTip(product.c_str());
}

// Windows 2000 and later say only that some device changed: discovery tells whether the
// 3D line went away, came back, or came back on another device or driver.
void CPanelDlg::CheckMixerBinding()
{
    UINT nDevice = 0;
    int nVariant = 0;
    DWORD nMuteID = 0, nVolumeID = 0;
    if (!FindMixer3D(&nDevice, &nVariant, &nMuteID, &nVolumeID))
    {
        CloseMixer();
        return;
    }
    // A reloaded driver shows the same line, but the handles from before stay dead.
    const BOOL bSame = m_mixer.m_hMixer != nullptr && nDevice == m_mixer.m_nDevice &&
        nVariant == m_mixer.m_nVariant && nMuteID == m_mixer.m_nMuteID &&
        nVolumeID == m_mixer.m_nVolumeID && MixerControlExists(m_mixer.m_hMixer, m_mixer.m_nCenterID);
    if (!bSame)
        ReopenMixer();
}

// Drivers come and go in bursts: the check runs once they have been quiet a while.
void CPanelDlg::ScheduleMixerCheck()
{
    ::SetTimer(m_hWnd, kMixerCheckTimer, kMixerCheckDelay, nullptr);
}

// A call on the bound handle that finds its driver gone.
void CPanelDlg::NoteMixerResult(MMRESULT result)
{
    if (IsMixerGone(result) && m_mixer.m_hMixer != nullptr && IsNtDeviceModel())
        ScheduleMixerCheck();
}

// Sets a trackbar's range from the level control's steps and shows its value.
BOOL CPanelDlg::BindLevel(DWORD nControlID, CSliderCtrl& slider, int& nStep)
{
    HMIXER hMixer = m_mixer.m_hMixer;
    if (!MixerControlExists(hMixer, nControlID))
        return FALSE;
    DWORD dwMinimum = 0, dwMaximum = 0, cSteps = 0;
    int nLast = 0;
    if (GetMixerControlRange(hMixer, nControlID, &dwMinimum, &dwMaximum, &cSteps))
    {
        nLast = MixerLastPosition(cSteps);
        slider.SendMessage(TBM_SETLINESIZE, 0, 1);
        slider.SendMessage(TBM_SETPAGESIZE, 0, 3);
        slider.SendMessage(TBM_SETRANGEMIN, FALSE, 0);
        // A control without steps gets the one position 0, never an inverted range.
        slider.SendMessage(TBM_SETRANGEMAX, FALSE, nLast > 0 ? nLast : 0);
    }
    DWORD dwValue = GetMixerValue(hMixer, nControlID);
    int nPosition = 0;
    if (nLast > 0)
    {
        nStep = MixerStepSize(dwMaximum, cSteps);
        nPosition = MixerValueToPosition(dwValue, nStep);
    }
    slider.SetPos(nPosition);
    return TRUE;
}

BOOL CPanelDlg::CloseMixer()
{
    EnableControls(FALSE);
    if (m_mixer.m_hMixer != nullptr)
    {
        CloseMixerDevice(m_mixer.m_hMixer);
        m_mixer.m_hMixer = nullptr;
    }
    return TRUE;
}

void CPanelDlg::EnableControls(BOOL bEnable)
{
    m_wndCenter.EnableWindow(bEnable);
    m_wndCenterLabel.EnableWindow(bEnable);
    m_wndSpace.EnableWindow(bEnable);
    m_wndSpaceLabel.EnableWindow(bEnable);
    m_chkEnabled.EnableWindow(bEnable);
    for (size_t i = 1; i < m_presets.size(); ++i)
    {
        if (m_presets[i] != nullptr && m_presets[i]->m_pButton != nullptr)
            m_presets[i]->m_pButton->EnableWindow(bEnable);
    }
}

BOOL CPanelDlg::IsMixerDevNode(const DEV_BROADCAST_HDR* pHeader) const
{
    return ::IsMixerDevNode(pHeader);
}

// The check box has toggled itself; the driver's notification brings box and tray in line.
void CPanelDlg::OnEnabled()
{
    if (m_mixer.m_nMuteID == MIXER3D_NO_CONTROL)
        return;
    m_mixer.m_bMuted = m_mixer.m_bMuted == 0 ? 1 : 0;
    NoteMixerResult(SetMixerBoolean(m_mixer.m_hMixer, m_mixer.m_nMuteID, m_mixer.m_bMuted));
}

// A trackbar moved: write its level, unless the mixer already holds that value.
void CPanelDlg::OnHScroll(UINT nSBCode, UINT, HWND hScrollBar)
{
    Default();
    if (hScrollBar == nullptr || nSBCode == TB_ENDTRACK)
        return;
    int nPosition = static_cast<int>(::SendMessageA(hScrollBar, TBM_GETPOS, 0, 0));
    DWORD nControlID;
    int nStep;
    switch (::GetDlgCtrlID(hScrollBar))
    {
    case IDC_CENTER:
        nControlID = m_mixer.m_nCenterID;
        nStep = m_mixer.m_nCenterStep;
        break;
    case IDC_SPACE:
        nControlID = m_mixer.m_nSpaceID;
        nStep = m_mixer.m_nSpaceStep;
        break;
    default:
        return;
    }
    DWORD dwValue = MixerPositionToValue(nPosition, nStep);
    MMRESULT result = MMSYSERR_NOERROR;
    if (GetMixerValue(m_mixer.m_hMixer, nControlID, &result) != dwValue)
        result = SetMixerValue(m_mixer.m_hMixer, nControlID, dwValue);
    NoteMixerResult(result);
}

LRESULT CPanelDlg::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEVICECHANGE)
    {
        OnDeviceChange(wParam, reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam));
    }
    else if (message == WM_TIMER && wParam == kMixerCheckTimer)
    {
        ::KillTimer(m_hWnd, kMixerCheckTimer);
        CheckMixerBinding();
    }
    else if (message == MM_MIXM_CONTROL_CHANGE)
    {
        OnMixerControlChange(static_cast<DWORD>(lParam));
    }
    return CDialog::DefWindowProc(message, wParam, lParam);
}

// Windows 95 to ME name the chip's device node; Windows 2000 and later only say that
// devices changed, or that an audio interface came or went.
void CPanelDlg::OnDeviceChange(WPARAM wParam, const DEV_BROADCAST_HDR* pHeader)
{
    if (wParam == DBT_DEVNODES_CHANGED)
    {
        if (IsNtDeviceModel())
            ScheduleMixerCheck();
        return;
    }
    if (pHeader == nullptr || (wParam != DBT_DEVICEARRIVAL && wParam != DBT_DEVICEREMOVECOMPLETE))
        return;
    if (pHeader->dbch_size >= sizeof(DEV_BROADCAST_HDR) &&
        pHeader->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE)
    {
        if (IsNtDeviceModel())
            ScheduleMixerCheck();
    }
    else if (IsMixerDevNode(pHeader))
    {
        if (wParam == DBT_DEVICEARRIVAL)
            ReopenMixer();
        else
            CloseMixer();
    }
}

void CPanelDlg::OnMixerControlChange(DWORD nControlID)
{
    // A notice that was queued before the device went away has nothing left to read.
    if (m_mixer.m_hMixer == nullptr)
        return;
    if (nControlID == m_mixer.m_nCenterID)
    {
        FollowLevel(m_mixer.m_nCenterID, m_mixer.m_nCenterStep, m_mixer.m_nCenterEcho, m_wndCenter);
    }
    else if (nControlID == m_mixer.m_nSpaceID)
    {
        FollowLevel(m_mixer.m_nSpaceID, m_mixer.m_nSpaceStep, m_mixer.m_nSpaceEcho, m_wndSpace);
    }
    else if (nControlID == m_mixer.m_nVolumeID && nControlID != MIXER3D_NO_CONTROL)
    {
        m_wndCenter.SetPos(MixerValueToPosition(
            GetMixerValue(m_mixer.m_hMixer, m_mixer.m_nCenterID), m_mixer.m_nCenterStep));
        m_wndSpace.SetPos(MixerValueToPosition(
            GetMixerValue(m_mixer.m_hMixer, m_mixer.m_nSpaceID), m_mixer.m_nSpaceStep));
        if (m_nCurPreset != 0 && m_mixer.m_nVolumeEcho <= 0)
            SelectPreset(0);
        if (m_mixer.m_nVolumeEcho > 0)
            --m_mixer.m_nVolumeEcho;
    }
    else if (nControlID == m_mixer.m_nMuteID && nControlID != MIXER3D_NO_CONTROL)
    {
        m_mixer.m_bMuted = GetMixerBoolean(m_mixer.m_hMixer, m_mixer.m_nMuteID);
        m_chkEnabled.SetCheck(m_mixer.m_bMuted == 0 ? BST_CHECKED : BST_UNCHECKED);
        if (m_pTrayIcon != nullptr)
            m_pTrayIcon->SetIcon(TrayIconID());
    }
}

// Moves a trackbar to the level's new value. A change that is not the echo of our own
// preset write deselects the current preset.
void CPanelDlg::FollowLevel(DWORD nControlID, int nStep, int& nEcho, CSliderCtrl& slider)
{
    MMRESULT result = MMSYSERR_NOERROR;
    int nPosition = MixerValueToPosition(GetMixerValue(m_mixer.m_hMixer, nControlID, &result), nStep);
    if (IsMixerGone(result))
    {
        NoteMixerResult(result);
        return;
    }
    if (m_nCurPreset != 0 && nEcho <= 0)
        SelectPreset(0);
    if (nEcho > 0)
        --nEcho;
    slider.SetPos(nPosition);
}
