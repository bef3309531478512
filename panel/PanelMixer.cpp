// The panel's binding to the chip's 3D controls: opening and closing the mixer,
// writing user input, and following the driver's change notifications.
#include "panel/PanelDlg.h"
#include "app/TaskBarButton.h"
#include "mixer/MixerControls.h"
#include "mixer/MixerDiscovery.h"

BOOL CPanelDlg::OpenMixer()
{
    UINT nDevice = 0;
    if (!FindMixer3D(&nDevice, &m_mixer.m_nVariant, &m_mixer.m_nMuteID, &m_mixer.m_nVolumeID))
        return FALSE;
    // A second arrival without a removal between must not leak the open handle.
    if (m_mixer.m_hMixer != nullptr)
    {
        CloseMixerDevice(m_mixer.m_hMixer);
        m_mixer.m_hMixer = nullptr;
    }
    if (!OpenMixerDevice(&m_mixer.m_hMixer, nDevice, m_hWnd))
    {
        m_mixer.m_hMixer = nullptr;
        return FALSE;
    }
    m_mixer.m_bMuted = GetMixerBoolean(m_mixer.m_hMixer, m_mixer.m_nMuteID);
    m_chkEnabled.SetCheck(m_mixer.m_bMuted == 0 ? BST_CHECKED : BST_UNCHECKED);

    BOOL bOK = BindLevel(m_mixer.m_nCenterID, m_wndCenter, m_mixer.m_nCenterStep);
    bOK = BindLevel(m_mixer.m_nSpaceID, m_wndSpace, m_mixer.m_nSpaceStep) && bOK;
    if (bOK)
        EnableControls(TRUE);
    return bOK;
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
    m_mixer.m_bMuted = m_mixer.m_bMuted == 0 ? 1 : 0;
    SetMixerBoolean(m_mixer.m_hMixer, m_mixer.m_nMuteID, m_mixer.m_bMuted);
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
    if (GetMixerValue(m_mixer.m_hMixer, nControlID) != dwValue)
        SetMixerValue(m_mixer.m_hMixer, nControlID, dwValue);
}

LRESULT CPanelDlg::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEVICECHANGE && lParam != 0)
    {
        const DEV_BROADCAST_HDR* pHeader = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        if (wParam == DBT_DEVICEARRIVAL && IsMixerDevNode(pHeader))
            OpenMixer();
        else if (wParam == DBT_DEVICEREMOVECOMPLETE && IsMixerDevNode(pHeader))
            CloseMixer();
    }
    else if (message == MM_MIXM_CONTROL_CHANGE)
    {
        OnMixerControlChange(static_cast<DWORD>(lParam));
    }
    return CDialog::DefWindowProc(message, wParam, lParam);
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
    else if (nControlID == m_mixer.m_nVolumeID)
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
    else if (nControlID == m_mixer.m_nMuteID)
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
    int nPosition = MixerValueToPosition(GetMixerValue(m_mixer.m_hMixer, nControlID), nStep);
    if (m_nCurPreset != 0 && nEcho <= 0)
        SelectPreset(0);
    if (nEcho > 0)
        --nEcho;
    slider.SetPos(nPosition);
}
