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

void CPanelDlg::SavePresets()
{
    for (size_t i = 1; i < m_presets.size(); ++i)
    {
        const Preset& preset = *m_presets[i];
        CRegistryKey key(HKEY_CURRENT_USER, PresetKeyPath(static_cast<int>(i)).c_str());
        key.Open(TRUE, KEY_ALL_ACCESS, nullptr, nullptr, FALSE);
        CRegistryDwordValue(&key, AfxLoadString(IDS_REG_CENTER).c_str())
            .Write(static_cast<DWORD>(preset.m_nCenter));
        CRegistryDwordValue(&key, AfxLoadString(IDS_REG_SPACE).c_str())
            .Write(static_cast<DWORD>(preset.m_nSpace));
        CRegistryStringValue(&key, AfxLoadString(IDS_REG_DESCRIPTION).c_str())
            .Write(preset.m_strDescription.c_str());
    }
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
    DWORD dwCenter = MixerPositionToValue(preset.m_nCenter, m_mixer.m_nCenterStep);
    if (GetMixerValue(hMixer, m_mixer.m_nCenterID) != dwCenter)
    {
        ++m_mixer.m_nVolumeEcho;
        m_mixer.m_nCenterEcho = 1;
        SetMixerValue(hMixer, m_mixer.m_nCenterID, dwCenter);
    }
    DWORD dwSpace = MixerPositionToValue(preset.m_nSpace, m_mixer.m_nSpaceStep);
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

// The preset whose button opened the context menu, consumed; NULL when none did
// (a command sent from elsewhere). The caller is about to change it, so the exit saves
// the presets again even after a session end saved them.
Preset* CPanelDlg::MenuPreset()
{
    int nPreset = m_nMenuPreset;
    m_nMenuPreset = 0;
    if (nPreset < 1 || nPreset >= static_cast<int>(m_presets.size()))
        return nullptr;
    m_bPresetsSaved = FALSE;
    return m_presets[nPreset].get();
}

void CPanelDlg::OnSaveSettings()
{
    Preset* pPreset = MenuPreset();
    if (pPreset == nullptr)
        return;
    pPreset->m_nCenter = m_wndCenter.GetPos();
    pPreset->m_nSpace = m_wndSpace.GetPos();
}

void CPanelDlg::OnRestoreDefault()
{
    int nPreset = m_nMenuPreset;
    Preset* pPreset = MenuPreset();
    if (pPreset == nullptr)
        return;
    CRegistryKey key(HKEY_LOCAL_MACHINE, PresetKeyPath(nPreset).c_str());
    if (!key.Open(FALSE, KEY_READ, nullptr, nullptr, FALSE))
    {
        UINT nCaption = m_mixer.m_nVariant == MIXER3D_SRS ? IDS_TITLE_SRS : IDS_TITLE_QSOUND;
        ::MessageBoxA(m_hWnd, AfxLoadString(IDS_NO_DEFAULTS).c_str(),
                      AfxLoadString(nCaption).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    int nCenter = 0, nSpace = 0;
    ReadTextLevel(key, IDS_REG_CENTER, nCenter);
    ReadTextLevel(key, IDS_REG_SPACE, nSpace);
    pPreset->m_nCenter = nCenter;
    pPreset->m_nSpace = nSpace;
    if (nPreset == m_nCurPreset)
        ApplyPresetLevels(*pPreset);
}

void CPanelDlg::OnChangeDescription()
{
    Preset* pPreset = MenuPreset();
    if (pPreset == nullptr)
        return;
    CDescriptionDlg dlg(this);
    dlg.m_strDescription = pPreset->m_strDescription;
    if (dlg.DoModal() != IDOK)
        return;
    pPreset->m_strDescription = dlg.m_strDescription;
    m_toolTip.UpdateTipText(pPreset->m_strDescription.c_str(), pPreset->m_pButton->m_hWnd);
}
