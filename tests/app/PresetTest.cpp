// Presets: loading from the user's or the machine's registry, applying with echo
// suppression, the preset menu's commands, which write their preset at once, and writing
// back at exit what could not be written then.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "KeyAccess.h"
#include "RegistrySandbox.h"
#include "resource.h"

namespace
{
const DWORD kCenter = 39;
const DWORD kSpace = 38;
const DWORD kStep = 4369;
const char kUserRoot[] = "Software\\Aurelon\\Morvane\\Preset";

std::string PresetKey(int nPreset)
{
    return kUserRoot + std::to_string(nPreset);
}

class PresetTest : public ::testing::Test
{
protected:
    void SetFactory(int nPreset, const char* pszCenter, const char* pszSpace, const char* pszDescription)
    {
        std::string key = PresetKey(nPreset);
        ASSERT_TRUE(CRegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE, key.c_str()));
        if (pszCenter != nullptr)
            CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, key.c_str(), "Center", pszCenter);
        if (pszSpace != nullptr)
            CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, key.c_str(), "Space", pszSpace);
        if (pszDescription != nullptr)
            CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, key.c_str(), "Description", pszDescription);
    }

    // The user's stored preset: levels, description; false when a value is missing or mistyped.
    bool UserPreset(int nPreset, DWORD& dwCenter, DWORD& dwSpace, std::string& description)
    {
        std::string key = PresetKey(nPreset);
        std::vector<BYTE> center, space, text;
        DWORD dwType1 = 0, dwType2 = 0, dwType3 = 0;
        if (!CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, key.c_str(), "Center", &dwType1, center) ||
            !CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, key.c_str(), "Space", &dwType2, space) ||
            !CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, key.c_str(), "Description", &dwType3, text))
            return false;
        if (dwType1 != REG_DWORD || dwType2 != REG_DWORD || dwType3 != REG_SZ ||
            center.size() != 4 || space.size() != 4 || text.empty() || text.back() != 0)
            return false;
        memcpy(&dwCenter, center.data(), 4);
        memcpy(&dwSpace, space.data(), 4);
        description.assign(reinterpret_cast<const char*>(text.data()));
        return true;
    }

    void ExpectUserPreset(int nPreset, DWORD dwCenter, DWORD dwSpace, const char* pszDescription)
    {
        DWORD c = 0, s = 0;
        std::string d;
        ASSERT_TRUE(UserPreset(nPreset, c, s, d)) << nPreset;
        EXPECT_EQ(c, dwCenter) << nPreset;
        EXPECT_EQ(s, dwSpace) << nPreset;
        EXPECT_EQ(d, pszDescription) << nPreset;
    }

    // Tools registered with the panel's tooltip control.
    LRESULT ToolCount()
    {
        HWND hTip = FindTopWindow("tooltips_class32", nullptr, m_program.Process().GetId());
        return SendTo(hTip, TTM_GETTOOLCOUNT);
    }

    // The lamps show this preset selected (0: none) and the others not. The panel paints
    // after it has handled a change, so the screen is polled for the whole picture.
    bool LampsShowSelected(int nPreset)
    {
        return WaitUntil([&] {
            const int anButtons[3] = { IDC_PRESET1, IDC_PRESET2, IDC_PRESET3 };
            for (int n = 1; n <= 3; ++n)
            {
                HWND hButton = m_program.Control(anButtons[n - 1]);
                if (!ShowsLamp(hButton, n == nPreset ? LAMP_SELECTED : LAMP_NOT_SELECTED))
                    return false;
            }
            return true;
        }, 5000);
    }

    CAurelonProgram m_program;
};

// Unchanged presets are never written: the user keeps getting the machine's factory presets.
TEST_F(PresetTest, FactoryPresetsAreLoadedAndNotWrittenUnchanged)
{
    SetFactory(1, "7", "3", "Warm hall");
    SetFactory(2, "12abc", "x", nullptr);
    ASSERT_TRUE(m_program.StartResident());
    EXPECT_EQ(ToolCount(), 3);
    const struct { int nButton; DWORD dwCenter, dwSpace; const char* pszTip; } rows[] = {
        { IDC_PRESET1, 7, 3, "Warm hall" }, { IDC_PRESET2, 12, 0, "Preset 2" }, { IDC_PRESET3, 0, 0, "Preset" } };
    for (const auto& row : rows)
    {
        m_program.Click(row.nButton);
        EXPECT_EQ(m_program.ChipValue(kCenter), row.dwCenter * kStep) << row.pszTip;
        EXPECT_EQ(m_program.ChipValue(kSpace), row.dwSpace * kStep) << row.pszTip;
        EXPECT_EQ(m_program.ToolTipText(row.nButton), row.pszTip);
    }
    ASSERT_TRUE(m_program.Exit());
    for (int n = 1; n <= 3; ++n)
        EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, PresetKey(n).c_str())) << n;
}

TEST_F(PresetTest, UserKeyWinsWithoutFallbackToFactory)
{
    SetFactory(2, "9", "9", "Factory two");
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, PresetKey(2).c_str(), "Description", "Mine"));
    // A level stored as text in the user's key counts as missing.
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, PresetKey(2).c_str(), "Center", "5"));
    ASSERT_TRUE(m_program.StartResident());
    m_program.Click(IDC_PRESET2);
    EXPECT_EQ(m_program.ChipValue(kCenter), 0u);
    EXPECT_EQ(m_program.ToolTipText(IDC_PRESET2), "Mine");
    ASSERT_TRUE(m_program.Exit());
    DWORD dwCenter = 0, dwSpace = 0;
    std::string text;
    EXPECT_FALSE(UserPreset(2, dwCenter, dwSpace, text)) << "the user's key was rewritten";
}

TEST_F(PresetTest, ApplyingWritesOnlyDifferingLevelsAndStaysSelected)
{
    SetFactory(1, "7", "3", "One");
    ASSERT_TRUE(m_program.SetChipValue(kSpace, 3 * kStep));
    ASSERT_TRUE(m_program.StartResident());
    m_program.m_chip.m_pfnClearWriteCounts();

    m_program.Click(IDC_PRESET1);
    EXPECT_EQ(m_program.ChipValue(kCenter), 7 * kStep);
    EXPECT_EQ(m_program.WriteCount(kCenter), 1u);
    EXPECT_EQ(m_program.WriteCount(kSpace), 0u);
    EXPECT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_CENTER) == 7; }, 5000));
    // The write's own notification has been handled while the panel was hidden: the
    // first picture of the panel shows whether it deselected the preset.
    m_program.Sync();
    ASSERT_TRUE(m_program.ShowPanel());
    EXPECT_TRUE(LampsShowSelected(1));

    // A change from another program deselects it; clicking it then applies it again.
    ASSERT_TRUE(m_program.SetChipValue(kCenter, 2 * kStep));
    ASSERT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_CENTER) == 2; }, 5000));
    EXPECT_TRUE(LampsShowSelected(0));
    m_program.m_chip.m_pfnClearWriteCounts();
    m_program.Click(IDC_PRESET1);
    EXPECT_EQ(m_program.ChipValue(kCenter), 7 * kStep);
    EXPECT_EQ(m_program.WriteCount(kCenter), 1u);
    EXPECT_EQ(m_program.WriteCount(kSpace), 0u);
}

// Each command writes its preset at once, and a forced end keeps it.
TEST_F(PresetTest, SaveSettingsTakesTheSlidersAndReachesRegistryAtOnce)
{
    ASSERT_TRUE(m_program.StartResident());
    ASSERT_TRUE(m_program.SetChipValue(kCenter, 4 * kStep));
    ASSERT_TRUE(m_program.SetChipValue(kSpace, 9 * kStep));
    ASSERT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_SPACE) == 9; }, 5000));
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET3, 1));   // "&Save Settings"
    m_program.Sync();
    m_program.Process().Kill();
    ExpectUserPreset(3, 4, 9, "Preset");
}

TEST_F(PresetTest, RestoreDefaultOnSelectedPresetWritesDifferingLevels)
{
    SetFactory(2, "10", "1", "Two");
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_CURRENT_USER, PresetKey(2).c_str(), "Center", 5));
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_CURRENT_USER, PresetKey(2).c_str(), "Space", 1));
    ASSERT_TRUE(m_program.StartResident());
    m_program.Click(IDC_PRESET2);
    ASSERT_EQ(m_program.ChipValue(kCenter), 5 * kStep);
    ASSERT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_CENTER) == 5; }, 5000));
    m_program.Sync();   // the echo has been counted off: preset 2 is still selected
    m_program.m_chip.m_pfnClearWriteCounts();
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET2, 2));   // "&Restore to Default"
    m_program.Sync();
    EXPECT_EQ(m_program.ChipValue(kCenter), 10 * kStep);
    EXPECT_EQ(m_program.WriteCount(kCenter), 1u);
    EXPECT_EQ(m_program.WriteCount(kSpace), 0u);
    m_program.Process().Kill();
    ExpectUserPreset(2, 10, 1, "Preset 2");
}

TEST_F(PresetTest, RestoreDefaultOnOtherPresetChangesOnlyMemory)
{
    SetFactory(1, "8", "8", "One");
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_CURRENT_USER, PresetKey(1).c_str(), "Center", 2));
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_CURRENT_USER, PresetKey(3).c_str(), "Center", 5));
    ASSERT_TRUE(m_program.StartResident());
    m_program.Click(IDC_PRESET3);
    ASSERT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_CENTER) == 5; }, 5000));
    m_program.Sync();   // the echo of preset 3 has been counted off
    m_program.m_chip.m_pfnClearWriteCounts();
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET1, 2));
    m_program.Sync();
    EXPECT_EQ(m_program.WriteCount(kCenter) + m_program.WriteCount(kSpace), 0u);
    EXPECT_EQ(m_program.ChipValue(kCenter), 5 * kStep);
    ASSERT_TRUE(m_program.ShowPanel());
    EXPECT_TRUE(LampsShowSelected(3));
    m_program.Process().Kill();
    ExpectUserPreset(1, 8, 8, "Preset 1");
}

TEST_F(PresetTest, RestoreDefaultWithoutFactoryKeyExplains)
{
    ASSERT_TRUE(m_program.StartResident());
    RECT rc;
    ::GetWindowRect(m_program.Control(IDC_PRESET2), &rc);
    ::PostMessageA(m_program.Panel(), WM_CONTEXTMENU,
                   reinterpret_cast<WPARAM>(m_program.Control(IDC_PRESET2)), MAKELPARAM(rc.left, rc.top));
    HWND hMenu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hMenu = FindVisibleMenu()) != nullptr; }, 5000));
    ChooseMenuItem(hMenu, 2);
    HWND hBox = WaitForDialog("Aurelon SRS 3D Audio", m_program.Process().GetId());
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(DialogMessageText(hBox), "There are no default settings for this preset.");
    PressDialogButton(hBox, IDOK);
}

TEST_F(PresetTest, MenuCommandsWithoutARightClickDoNothing)
{
    ASSERT_TRUE(m_program.StartResident());
    m_program.Command(ID_SAVE_SETTINGS);
    m_program.Command(ID_RESTORE_DEFAULT);
    m_program.Command(ID_CHANGE_DESCRIPTION);
    m_program.Sync();   // a dialog opened by a command would be up by now
    EXPECT_EQ(WaitForDialog(nullptr, m_program.Process().GetId(), 0), nullptr);
    ASSERT_TRUE(m_program.Exit());
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, PresetKey(1).c_str()));
}

TEST_F(PresetTest, DescriptionDialogChangesTheDescription)
{
    ASSERT_TRUE(m_program.StartResident());
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET2, 3));   // "&Change Description..."
    HWND hDlg = WaitForDialog("Change Description", m_program.Process().GetId());
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(hDlg, IDC_DESCRIPTION)), "Preset");
    EXPECT_EQ(SendTo(::GetDlgItem(hDlg, IDC_DESCRIPTION), EM_GETLIMITTEXT), 100);
    ::SetDlgItemTextA(hDlg, IDC_DESCRIPTION, "Concert hall");
    PressDialogButton(hDlg, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hDlg); }, 5000));
    EXPECT_EQ(m_program.ToolTipText(IDC_PRESET2), "Concert hall");

    // Cancel leaves it.
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET2, 3));
    hDlg = WaitForDialog("Change Description", m_program.Process().GetId());
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(hDlg, IDC_DESCRIPTION)), "Concert hall");
    ::SetDlgItemTextA(hDlg, IDC_DESCRIPTION, "Not this");
    PressDialogButton(hDlg, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hDlg); }, 5000));

    EXPECT_EQ(m_program.ToolTipText(IDC_PRESET2), "Concert hall");

    m_program.Process().Kill();
    ExpectUserPreset(2, 0, 0, "Concert hall");
    ASSERT_TRUE(m_program.StartResident());
    EXPECT_EQ(m_program.ToolTipText(IDC_PRESET2), "Concert hall");
    EXPECT_EQ(m_program.ToolTipText(IDC_PRESET1), "Preset");
    ASSERT_TRUE(m_program.Exit());
}

TEST_F(PresetTest, TooLongDescriptionIsRefusedUntilShortened)
{
    std::string longText(120, 'a');
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, PresetKey(1).c_str(), "Description",
                                          longText.c_str()));
    ASSERT_TRUE(m_program.StartResident());
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET1, 3));
    HWND hDlg = WaitForDialog("Change Description", m_program.Process().GetId());
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(hDlg, IDC_DESCRIPTION)), longText);   // shown in full
    PressDialogButton(hDlg, IDOK);
    HWND hBox = WaitForDialog("Aurelon3D", m_program.Process().GetId());
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(DialogMessageText(hBox), "Please enter no more than 100 characters.");
    PressDialogButton(hBox, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hBox); }, 5000));
    EXPECT_TRUE(::IsWindow(hDlg));
    ::SetDlgItemTextA(hDlg, IDC_DESCRIPTION, std::string(100, 'b').c_str());
    PressDialogButton(hDlg, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hDlg); }, 5000));
    ASSERT_TRUE(m_program.Exit());
    ExpectUserPreset(1, 0, 0, std::string(100, 'b').c_str());
}

// A write that fails is told, and made again at the session end, or else at exit.
TEST_F(PresetTest, FailedWriteIsToldAndMadeAgainLater)
{
    for (UINT nLater : { static_cast<UINT>(WM_ENDSESSION), static_cast<UINT>(WM_CLOSE) })
    {
        CAurelonProgram::Clean();
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, PresetKey(1).c_str(), "Description", "Mine"));
        ASSERT_TRUE(m_program.StartResident());
        ASSERT_TRUE(m_program.SetChipValue(kCenter, 4 * kStep));
        ASSERT_TRUE(m_program.SetChipValue(kSpace, 9 * kStep));
        ASSERT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_SPACE) == 9; }, 5000));
        {
            CKeyAccessOverride readOnly(HKEY_CURRENT_USER, PresetKey(1).c_str(), kReadOnlyForEveryone);
            ASSERT_TRUE(readOnly.IsApplied());
            ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET1, 1));   // "&Save Settings"
            HWND hBox = WaitForDialog("Aurelon SRS 3D Audio", m_program.Process().GetId());
            ASSERT_NE(hBox, nullptr);
            EXPECT_EQ(DialogMessageText(hBox),
                      "The settings of this preset could not be saved. The program tries again when it ends.");
            PressDialogButton(hBox, IDOK);
            ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hBox); }, 5000));
            EXPECT_EQ(CRegistrySandbox::GetDword(HKEY_CURRENT_USER, PresetKey(1).c_str(), "Center"), 0xFFFFFFFFu);
        }
        SendTo(m_program.MainWnd(), nLater, TRUE, 0);
        if (nLater == WM_CLOSE)
        {
            EXPECT_TRUE(m_program.Process().WaitForExit(10000));
        }
        ExpectUserPreset(1, 4, 9, "Mine");
        m_program.Process().Kill();
    }
}
}
