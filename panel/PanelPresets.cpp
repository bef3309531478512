// The panel's three presets: loading them from the registry, applying them to the
// mixer, changing them from the preset buttons' menu, and saving them at exit.
#include "panel/PanelDlg.h"
#include "framework/App.h"
#include "mixer/MixerControls.h"
#include "mixer/MixerDiscovery.h"
#include "panel/DescriptionDlg.h"
#include "support/RegistryKey.h"
#include "support/RegistryValue.h"

namespace
{
// Button images of each preset: not selected, selected, disabled.
struct PresetImages
{
    UINT nNormal;
    UINT nSelected;
    UINT nDisabled;
};

const PresetImages kPresetImages[] = {
    { 0, 0, 0 },
    { IDB_PRESET1_NORMAL, IDB_PRESET1_SEL, IDB_PRESET1_DIS },
    { IDB_PRESET2_NORMAL, IDB_PRESET2_SEL, IDB_PRESET2_DIS },
    { IDB_PRESET3_NORMAL, IDB_PRESET3_SEL, IDB_PRESET3_DIS },
};
const int kPresetCount = 3;

// "Software\Aurelon\Morvane\PresetN"
std::string PresetKeyPath(int nPreset)
{
    return AfxLoadString(IDS_REG_ROOT) + "\\" + AfxLoadString(IDS_REG_PRESET) +
           std::to_string(nPreset);
}

// "Preset N", in the user's language (the key's name "Preset" is an identifier).
std::string DefaultDescription(int nPreset)
{
    return AfxLoadString(IDS_PRESET_NONUMBER) + " " + std::to_string(nPreset);
}

BOOL ReadDwordLevel(CRegistryKey& key, UINT nNameID, int& nLevel)
{
    CRegistryDwordValue value(&key, AfxLoadString(nNameID).c_str());
    DWORD dwLevel = 0;
    if (!value.Read(&dwLevel))
        return FALSE;
    nLevel = static_cast<int>(dwLevel);
    return TRUE;
}

BOOL ReadTextLevel(CRegistryKey& key, UINT nNameID, int& nLevel)
{
    CRegistryStringValue value(&key, AfxLoadString(nNameID).c_str());
    std::string text;
    if (!value.ReadText(text))
        return FALSE;
    nLevel = ParseLevelText(text.c_str());
    return TRUE;
}

void ReadDescription(CRegistryKey& key, std::string& description)
{
    CRegistryStringValue value(&key, AfxLoadString(IDS_REG_DESCRIPTION).c_str());
    std::string text;
    if (value.ReadText(text))
        description = text;
}

// A stored level may be any number, or one for a chip with more steps: it is taken as the
// nearest position the control has, so that the write stays within the control's range.
int ClampToSlider(int nPosition, const CSliderCtrl& slider)
{
    int nLast = static_cast<int>(slider.SendMessage(TBM_GETRANGEMAX));
    if (nPosition > nLast)
        return nLast;
    return nPosition < 0 ? 0 : nPosition;
}

// The user's own preset when its key exists (levels as numbers), else the machine's
// factory preset (levels as text), else nothing stored. No fallback between the two.
// The machine's keys are only read: a standard user may not open them for writing.
std::unique_ptr<Preset> ReadPreset(int nPreset)
{
    int nCenter = 0, nSpace = 0;
    std::string description = DefaultDescription(nPreset);
    CRegistryKey userKey(HKEY_CURRENT_USER, PresetKeyPath(nPreset).c_str());
    CRegistryKey factoryKey(HKEY_LOCAL_MACHINE, PresetKeyPath(nPreset).c_str());
    if (userKey.Open(FALSE, KEY_ALL_ACCESS, nullptr, nullptr, FALSE))
    {
        ReadDwordLevel(userKey, IDS_REG_CENTER, nCenter);
        ReadDwordLevel(userKey, IDS_REG_SPACE, nSpace);
        ReadDescription(userKey, description);
    }
    else if (factoryKey.Open(FALSE, KEY_READ, nullptr, nullptr, FALSE))
    {
        ReadTextLevel(factoryKey, IDS_REG_CENTER, nCenter);
        ReadTextLevel(factoryKey, IDS_REG_SPACE, nSpace);
        ReadDescription(factoryKey, description);
    }
    else
    {
        description = AfxLoadString(IDS_PRESET_NONUMBER);
    }
    return std::unique_ptr<Preset>(new Preset(nCenter, nSpace, description));
}
}

void CPanelDlg::LoadPresets()
{
    m_nCurPreset = 0;
    m_presets.clear();
    m_presets.emplace_back();
    for (int i = 1; i <= kPresetCount; ++i)
        m_presets.push_back(ReadPreset(i));

    CPresetButton* apButtons[] = { nullptr, &m_btnPreset1, &m_btnPreset2, &m_btnPreset3 };
    for (size_t i = 1; i < m_presets.size(); ++i)
    {
        m_presets[i]->m_pButton = apButtons[i];
        ShowPresetImages(static_cast<int>(i), FALSE);
        m_toolTip.AddTool(apButtons[i]->m_hWnd, m_presets[i]->m_strDescription.c_str());
    }
}

// At exit and at the session end: the presets whose last write failed. What is stored
// already is not written again; another program may have changed it since.
void CPanelDlg::SavePresets()
{
    for (size_t i = 1; i < m_presets.size(); ++i)
    {
        if (!m_presets[i]->m_bStored)
            WritePreset(static_cast<int>(i));
    }
}

BOOL CPanelDlg::WritePreset(int nPreset)
{
    Preset& preset = *m_presets[nPreset];
    CRegistryKey key(HKEY_CURRENT_USER, PresetKeyPath(nPreset).c_str());
    BOOL bOK = key.Open(TRUE, KEY_ALL_ACCESS, nullptr, nullptr, FALSE);
    bOK = CRegistryDwordValue(&key, AfxLoadString(IDS_REG_CENTER).c_str())
              .Write(static_cast<DWORD>(preset.m_nCenter)) && bOK;
    bOK = CRegistryDwordValue(&key, AfxLoadString(IDS_REG_SPACE).c_str())
              .Write(static_cast<DWORD>(preset.m_nSpace)) && bOK;
    bOK = CRegistryStringValue(&key, AfxLoadString(IDS_REG_DESCRIPTION).c_str())
              .Write(preset.m_strDescription.c_str()) && bOK;
    preset.m_bStored = bOK;
    return bOK;
}

// A preset the user has just changed is written at once: a program that is ended by
// force, or a machine that goes down, keeps it. A failed write is told, and tried again
// at exit.
void CPanelDlg::KeepPreset(int nPreset)
{
    m_presets[nPreset]->m_bStored = FALSE;
    if (!WritePreset(nPreset))
        ShowWarning(IDS_SAVE_FAILED);
}

void CPanelDlg::ShowWarning(UINT nTextID)
{
    CModalScope modal(this);
    ::MessageBoxA(m_hWnd, AfxLoadString(nTextID).c_str(), AfxLoadString(TitleID()).c_str(),
                  MB_OK | MB_ICONEXCLAMATION);
}

void CPanelDlg::ShowPresetImages(int nPreset, BOOL bSelected)
{
    const PresetImages& images = kPresetImages[nPreset];
    m_presets[nPreset]->m_pButton->LoadBitmaps(bSelected ? images.nSelected : images.nNormal, 0, 0,
                                               images.nDisabled, TRUE, TRUE, TRUE);
}

void CPanelDlg::SelectPreset(int nPreset)
{
    if (nPreset == m_nCurPreset || nPreset < 0 || nPreset >= static_cast<int>(m_presets.size()))
        return;
    if (m_nCurPreset != 0)
        ShowPresetImages(m_nCurPreset, FALSE);
    if (nPreset != 0)
    {
        ApplyPresetLevels(*m_presets[nPreset]);
        ShowPresetImages(nPreset, TRUE);
    }
    m_nCurPreset = nPreset;
}

// Writes only the levels that differ. The echo counters keep the notifications of
// these writes from deselecting the preset; the trackbars move with those notifications.
void CPanelDlg::ApplyPresetLevels(const Preset& preset)
{
    HMIXER hMixer = m_mixer.m_hMixer;
    m_mixer.m_nVolumeEcho = 0;
    DWORD dwCenter = MixerPositionToValue(ClampToSlider(preset.m_nCenter, m_wndCenter),
                                          m_mixer.m_nCenterStep);
    if (GetMixerValue(hMixer, m_mixer.m_nCenterID) != dwCenter)
    {
        ++m_mixer.m_nVolumeEcho;
        m_mixer.m_nCenterEcho = 1;
        SetMixerValue(hMixer, m_mixer.m_nCenterID, dwCenter);
    }
    DWORD dwSpace = MixerPositionToValue(ClampToSlider(preset.m_nSpace, m_wndSpace), m_mixer.m_nSpaceStep);
    if (GetMixerValue(hMixer, m_mixer.m_nSpaceID) != dwSpace)
    {
        m_mixer.m_nSpaceEcho = 1;
        ++m_mixer.m_nVolumeEcho;
        SetMixerValue(hMixer, m_mixer.m_nSpaceID, dwSpace);
    }
}

void CPanelDlg::OnPreset1()
{
    SelectPreset(1);
}

void CPanelDlg::OnPreset2()
{
    SelectPreset(2);
}

void CPanelDlg::OnPreset3()
{
    SelectPreset(3);
}

// The number of the preset whose button opened the context menu, consumed; 0 when none
// did (a command sent from elsewhere).
int CPanelDlg::TakeMenuPreset()
{
    int nPreset = m_nMenuPreset;
    m_nMenuPreset = 0;
    return nPreset >= 1 && nPreset < static_cast<int>(m_presets.size()) ? nPreset : 0;
}

void CPanelDlg::OnSaveSettings()
{
    int nPreset = TakeMenuPreset();
    if (nPreset == 0)
        return;
    m_presets[nPreset]->m_nCenter = m_wndCenter.GetPos();
    m_presets[nPreset]->m_nSpace = m_wndSpace.GetPos();
    KeepPreset(nPreset);
}

void CPanelDlg::OnRestoreDefault()
{
    int nPreset = TakeMenuPreset();
    if (nPreset == 0)
        return;
    CRegistryKey key(HKEY_LOCAL_MACHINE, PresetKeyPath(nPreset).c_str());
    if (!key.Open(FALSE, KEY_READ, nullptr, nullptr, FALSE))
    {
        ShowWarning(IDS_NO_DEFAULTS);
        return;
    }
    Preset& preset = *m_presets[nPreset];
    int nCenter = 0, nSpace = 0;
    ReadTextLevel(key, IDS_REG_CENTER, nCenter);
    ReadTextLevel(key, IDS_REG_SPACE, nSpace);
    preset.m_nCenter = nCenter;
    preset.m_nSpace = nSpace;
    if (nPreset == m_nCurPreset)
        ApplyPresetLevels(preset);
    KeepPreset(nPreset);
}

void CPanelDlg::OnChangeDescription()
{
    int nPreset = TakeMenuPreset();
    if (nPreset == 0)
        return;
    Preset& preset = *m_presets[nPreset];
    CDescriptionDlg dlg(this);
    dlg.m_strDescription = preset.m_strDescription;
    {
        CModalScope modal(this);
        if (dlg.DoModal() != IDOK)
            return;
    }
    preset.m_strDescription = dlg.m_strDescription;
    m_toolTip.UpdateTipText(preset.m_strDescription.c_str(), preset.m_pButton->m_hWnd);
    KeepPreset(nPreset);
}
