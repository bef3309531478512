// A standard user: the machine's keys of the program (factory presets, the quiet flag,
// the mixer driver records, the installer's profile list) may be read but not written.
// The program still applies and restores the factory presets, filters device broadcasts
// by the records and installs for the current user; where it could write those keys it
// still only reads them. With those keys unreadable as well, the fallbacks apply.
#include <gtest/gtest.h>
#include <memory>
#include <windows.h>
#include <dbt.h>
#include <shlobj.h>
#include "AurelonProgram.h"
#include "KeyAccess.h"
#include "RegistrySandbox.h"
#include "chipsim/ChipSim.h"
#include "mixer/Mixer3D.h"
#include "resource.h"

namespace
{
const char kProgramKey[] = "Software\\Aurelon";
const char kRoot[] = "Software\\Aurelon\\Morvane";
const char kPreset2[] = "Software\\Aurelon\\Morvane\\Preset2";
const char kProfileList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList";
const char kStartupReconciliation[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SecondaryProfileReconciliation\\Startup";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kLinkName[] = "\\Aurelon 3D Audio Control.lnk";
const DWORD kForeignDevNode = 0x7777;
const int kStep = MixerStepSize(CHIPSIM_DEFAULT_MAXIMUM, CHIPSIM_DEFAULT_STEPS);

std::string UserText(const char* pszPath, const char* pszName)
{
    DWORD dwType = 0;
    std::vector<BYTE> data;
    if (!CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, pszPath, pszName, &dwType, data) || data.empty())
        return std::string();
    return std::string(reinterpret_cast<const char*>(data.data()));
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class StandardUserTest : public ::testing::Test
{
protected:
    // Factory preset 2: levels 10 and 12 as text, with a description. The chip's driver
    // records were written when the program object chose the layout.
    void SetUp() override
    {
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, kPreset2, "Center", "10"));
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, kPreset2, "Space", "12"));
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, kPreset2, "Description", "Factory 2"));
    }

    void TearDown() override
    {
        m_access.clear();   // the old DACLs back before the keys are removed
        if (m_bProfileList)
            CRegistrySandbox::DeleteKey(HKEY_LOCAL_MACHINE, kProfileList);
        for (const std::string& link : m_links)
            ::DeleteFileA(link.c_str());
    }

    // The machine's keys of the program as a standard user (or nobody) sees them.
    void Restrict(const char* pszSddl)
    {
        for (const char* pszPath : { kProgramKey, CHIPSIM_RECORDS_KEY })
        {
            m_access.emplace_back(new CKeyAccessOverride(HKEY_LOCAL_MACHINE, pszPath, pszSddl));
            ASSERT_TRUE(m_access.back()->IsApplied()) << pszPath;
        }
        LONG lError = 0;
        ASSERT_FALSE(KeyOpens(HKEY_LOCAL_MACHINE, kPreset2, KEY_ALL_ACCESS, &lError));
        EXPECT_EQ(lError, ERROR_ACCESS_DENIED);
        EXPECT_EQ(KeyOpens(HKEY_LOCAL_MACHINE, kPreset2, KEY_READ) != FALSE,
                  pszSddl == kReadOnlyForEveryone);
    }

    void MoveLevels(int nCenter, int nSpace)
    {
        ASSERT_TRUE(m_program.SetChipValue(MIXER3D_CENTER_ID, nCenter * kStep));
        ASSERT_TRUE(m_program.SetChipValue(MIXER3D_SPACE_ID, nSpace * kStep));
        ASSERT_TRUE(WaitUntil([&] {
            return m_program.SliderPos(IDC_CENTER) == nCenter && m_program.SliderPos(IDC_SPACE) == nSpace;
        }));
    }

    void ExpectChipLevels(int nCenter, int nSpace)
    {
        EXPECT_TRUE(WaitUntil([&] {
            return m_program.ChipValue(MIXER3D_CENTER_ID) == static_cast<DWORD>(nCenter * kStep) &&
                   m_program.ChipValue(MIXER3D_SPACE_ID) == static_cast<DWORD>(nSpace * kStep);
        }, 5000)) << m_program.ChipValue(MIXER3D_CENTER_ID) << ", " << m_program.ChipValue(MIXER3D_SPACE_ID);
    }

    // A device-change broadcast as the system sends it; answered before this returns.
    void Broadcast(UINT nEvent, DWORD dwDevNode)
    {
        m_program.m_chip.m_pfnBroadcastDevNode(nEvent, dwDevNode);
        m_program.Sync();
    }

    // A profile list that profile mode would serve (alice), and the current user's
    // reconciliation key that it would need: the "-install" run must ignore both.
    void AddProfileList()
    {
        m_bProfileList = true;
        char szTemp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, szTemp);
        m_aliceDir = std::string(szTemp) + "aurelon-alice";
        ::CreateDirectoryA(m_aliceDir.c_str(), nullptr);
        ::CreateDirectoryA((m_aliceDir + "\\Startup").c_str(), nullptr);
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, (std::string(kProfileList) + "\\alice").c_str(),
                                              "ProfileImagePath", m_aliceDir.c_str()));
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, kStartupReconciliation, "LocalFile", "Startup"));
        m_links.push_back(m_aliceDir + "\\Startup" + kLinkName);
    }

    bool RunInstall()
    {
        const std::string startup = UserText(kShellFolders, "Startup");
        const std::string group = UserText(kShellFolders, "Programs") + "\\Accessories\\Multimedia";
        ::SHCreateDirectoryExA(nullptr, group.c_str(), nullptr);
        m_links.push_back(startup + kLinkName);
        m_links.push_back(group + kLinkName);
        for (const std::string& link : m_links)
            ::DeleteFileA(link.c_str());
        CProcess process;
        DWORD dwCode = 1;
        return !startup.empty() && process.Start("\"" + BinPath("Aurelon3D.exe") + "\" -install") &&
               process.WaitForExit(20000, &dwCode) && dwCode == 0;
    }

    CAurelonProgram m_program;
    std::vector<std::unique_ptr<CKeyAccessOverride>> m_access;
    bool m_bProfileList = false;
    std::string m_aliceDir;
    std::vector<std::string> m_links;
};

TEST_F(StandardUserTest, FactoryPresetsLoadAndApplyWithoutBecomingTheUsers)
{
    Restrict(kReadOnlyForEveryone);
    ASSERT_TRUE(m_program.StartResident());
    MoveLevels(2, 3);
    m_program.Click(IDC_PRESET2);
    ExpectChipLevels(10, 12);
    ASSERT_TRUE(m_program.Exit());
    // Unchanged, the factory's preset stays the user's: a later factory update reaches him.
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, kPreset2));
}

TEST_F(StandardUserTest, RestoreToDefaultRestoresTheFactoryLevels)
{
    Restrict(kReadOnlyForEveryone);
    ASSERT_TRUE(m_program.StartResident());
    MoveLevels(4, 9);
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET2, 1));     // "&Save Settings": 4, 9
    MoveLevels(1, 1);
    m_program.Click(IDC_PRESET2);
    ExpectChipLevels(4, 9);
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET2, 2));     // "&Restore to Default"
    ExpectChipLevels(10, 12);
    for (HWND hWnd : FindTopWindows("#32770", "Aurelon SRS 3D Audio", m_program.Process().GetId()))
        EXPECT_TRUE(hWnd == m_program.Panel() || !::IsWindowVisible(hWnd)) << "a message box";
    ASSERT_TRUE(m_program.Exit());
    EXPECT_EQ(CRegistrySandbox::GetDword(HKEY_CURRENT_USER, kPreset2, "Center"), 10u);
    EXPECT_EQ(CRegistrySandbox::GetDword(HKEY_CURRENT_USER, kPreset2, "Space"), 12u);
}

TEST_F(StandardUserTest, DeviceBroadcastsAreFilteredByTheDriverRecords)
{
    Restrict(kReadOnlyForEveryone);
    ASSERT_TRUE(m_program.StartResident());
    Broadcast(DBT_DEVICEREMOVECOMPLETE, kForeignDevNode);
    EXPECT_TRUE(m_program.IsEnabled(IDC_CENTER)) << "another maker's device closed the mixer";
    Broadcast(DBT_DEVICEREMOVECOMPLETE, CHIPSIM_DEVNODE_BASE);
    EXPECT_FALSE(m_program.IsEnabled(IDC_CENTER));
    Broadcast(DBT_DEVICEARRIVAL, CHIPSIM_DEVNODE_BASE);
    EXPECT_TRUE(m_program.IsEnabled(IDC_CENTER));
    ASSERT_TRUE(m_program.Exit());
}

TEST_F(StandardUserTest, InstallServesTheCurrentUser)
{
    AddProfileList();
    CKeyAccessOverride profiles(HKEY_LOCAL_MACHINE, kProfileList, kReadOnlyForEveryone);
    ASSERT_TRUE(profiles.IsApplied());
    Restrict(kReadOnlyForEveryone);
    ASSERT_TRUE(RunInstall());
    EXPECT_TRUE(FileExists(m_links[1])) << m_links[1];
    EXPECT_TRUE(FileExists(m_links[2])) << m_links[2];
    EXPECT_FALSE(FileExists(m_links[0])) << "profile mode served " << m_links[0];
}

// What an administrator's run writes below HKEY_LOCAL_MACHINE, where it could: nothing.
// A standard user's run would fail at any such write, so every step reads only.
TEST_F(StandardUserTest, MachineKeysAreOnlyReadWhereTheyCouldBeWritten)
{
    const auto programBefore = SnapshotValues(HKEY_LOCAL_MACHINE, kProgramKey);
    const auto recordsBefore = SnapshotValues(HKEY_LOCAL_MACHINE, CHIPSIM_RECORDS_KEY);
    ASSERT_FALSE(programBefore.empty());
    ASSERT_FALSE(recordsBefore.empty());
    ASSERT_TRUE(m_program.StartResident());
    MoveLevels(4, 9);
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET2, 1));     // "&Save Settings": 4, 9
    m_program.Click(IDC_PRESET2);
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET2, 2));     // "&Restore to Default"
    ExpectChipLevels(10, 12);
    Broadcast(DBT_DEVICEREMOVECOMPLETE, CHIPSIM_DEVNODE_BASE);
    Broadcast(DBT_DEVICEARRIVAL, CHIPSIM_DEVNODE_BASE);
    ASSERT_TRUE(m_program.Exit());
    ASSERT_TRUE(RunInstall());
    EXPECT_TRUE(SnapshotValues(HKEY_LOCAL_MACHINE, kProgramKey) == programBefore);
    EXPECT_TRUE(SnapshotValues(HKEY_LOCAL_MACHINE, CHIPSIM_RECORDS_KEY) == recordsBefore);
}

// The flag cannot be deleted, so it must not silence this start (or any later one).
TEST_F(StandardUserTest, QuietFlagThatCannotBeDeletedSilencesNothing)
{
    ASSERT_TRUE(m_program.SetLayout(CHIPSIM_LAYOUT_NONE));
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, kRoot, "", 1));
    Restrict(kReadOnlyForEveryone);
    ASSERT_TRUE(m_program.Start());
    HWND hBox = WaitForDialog("Aurelon 3D Audio Control", m_program.Process().GetId());
    ASSERT_NE(hBox, nullptr) << "the missing mixer was not reported";
    PressDialogButton(hBox);
    DWORD dwCode = 1;
    EXPECT_TRUE(m_program.Process().WaitForExit(10000, &dwCode));
    EXPECT_EQ(dwCode, 0u);
}

TEST_F(StandardUserTest, UnreadableMachineKeysFallBack)
{
    AddProfileList();
    CKeyAccessOverride profiles(HKEY_LOCAL_MACHINE, kProfileList, kNoAccessForAnyone);
    ASSERT_TRUE(profiles.IsApplied());
    Restrict(kNoAccessForAnyone);
    ASSERT_TRUE(m_program.StartResident());
    // No factory preset: "&Restore to Default" says so.
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET2, 2));
    HWND hBox = WaitForDialog("Aurelon SRS 3D Audio", m_program.Process().GetId());
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(DialogMessageText(hBox), "There are no default settings for this preset.");
    PressDialogButton(hBox);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hBox); }));
    // Records that cannot be read accept every device-node broadcast.
    Broadcast(DBT_DEVICEREMOVECOMPLETE, kForeignDevNode);
    EXPECT_FALSE(m_program.IsEnabled(IDC_CENTER));
    ASSERT_TRUE(m_program.Exit());
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, kPreset2));
    ASSERT_TRUE(RunInstall());
    EXPECT_TRUE(FileExists(m_links[1])) << m_links[1];
    EXPECT_FALSE(FileExists(m_links[0])) << m_links[0];
}
}
