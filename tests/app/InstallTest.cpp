// "-install" run as a user would: shortcuts in the current user's shell folders.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "RegistrySandbox.h"
#include "WindowWitness.h"
#include "ShellLink.h"
#include <objbase.h>
#include <shlobj.h>

namespace
{
const char kLinkName[] = "Aurelon 3D Audio Control.lnk";

std::string ShellFolder(const char* pszName)
{
    std::vector<BYTE> data;
    DWORD dwType = 0;
    if (!CRegistrySandbox::GetRaw(HKEY_CURRENT_USER,
                                  "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                  pszName, &dwType, data) || data.empty())
        return std::string();
    return std::string(reinterpret_cast<const char*>(data.data()));
}

class InstallTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::CoInitialize(nullptr);
        m_startupLink = ShellFolder("Startup") + "\\" + kLinkName;
        m_groupFolder = ShellFolder("Programs") + "\\Accessories\\Multimedia";
        m_groupLink = m_groupFolder + "\\" + kLinkName;
        ::DeleteFileA(m_startupLink.c_str());
        ::DeleteFileA(m_groupLink.c_str());
    }
    void TearDown() override
    {
        ::DeleteFileA(m_startupLink.c_str());
        ::DeleteFileA(m_groupLink.c_str());
        ::CoUninitialize();
    }

    bool RunInstall()
    {
        CProcess process;
        DWORD dwCode = 1;
        return process.Start("\"" + BinPath("Aurelon3D.exe") + "\" -install") &&
               process.WaitForExit(20000, &dwCode) && dwCode == 0;
    }

    void ExpectLinkToProgram(const std::string& path)
    {
        std::string target, description;
        ASSERT_TRUE(ReadLink(path, target, description)) << path;
        EXPECT_EQ(lstrcmpiA(target.c_str(), BinPath("Aurelon3D.exe").c_str()), 0) << target;
        EXPECT_EQ(description, "Aurelon 3D Audio Control");
    }

    std::string m_startupLink;
    std::string m_groupFolder;
    std::string m_groupLink;
};

TEST_F(InstallTest, WritesStartupShortcutAndGroupShortcutOnlyWhereTheGroupExists)
{
    ASSERT_FALSE(ShellFolder("Startup").empty());
    ::RemoveDirectoryA(m_groupFolder.c_str());
    CWindowWitness witness;
    ASSERT_TRUE(witness.IsInstalled());
    ASSERT_TRUE(RunInstall());
    ExpectLinkToProgram(m_startupLink);
    EXPECT_EQ(::GetFileAttributesA(m_groupLink.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(witness.MainWindowsCreated(), 0u);   // not even for a moment

    ASSERT_EQ(::SHCreateDirectoryExA(nullptr, m_groupFolder.c_str(), nullptr), ERROR_SUCCESS);
    ASSERT_TRUE(RunInstall());
    ExpectLinkToProgram(m_groupLink);
    ::RemoveDirectoryA(m_groupFolder.c_str());
}

// Windows 95, 98 and Me with user profiles: the profile list and the reconciliation keys
// name the default profile's folders (below the Windows folder) and every profile's.
TEST_F(InstallTest, NineXProfilesGetTheDefaultProfileAndEveryProfile)
{
    const char kProfiles[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList";
    const char kReconcile[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SecondaryProfileReconciliation";
    char szWindows[MAX_PATH];
    ASSERT_GT(::GetWindowsDirectoryA(szWindows, MAX_PATH), 0u);
    const std::string root = std::string(szWindows) + "\\aurelon-9x";
    const std::string folders[3] = { root + "\\Start Menu", root + "\\Profiles\\alice\\Start Menu",
                                     root + "\\Profiles\\bob\\Start Menu" };
    for (const std::string& folder : folders)
    {
        ASSERT_EQ(::SHCreateDirectoryExA(nullptr, (folder + "\\Startup").c_str(), nullptr), ERROR_SUCCESS);
        ASSERT_EQ(::SHCreateDirectoryExA(nullptr, (folder + "\\Programs\\Accessories\\Multimedia").c_str(), nullptr),
                  ERROR_SUCCESS);
    }
    for (const char* pszName : { "alice", "bob" })
    {
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, (std::string(kProfiles) + "\\" + pszName).c_str(),
                                              "ProfileImagePath", (root + "\\Profiles\\" + pszName).c_str()));
    }
    for (const char* pszSet : { "Startup", "Programs" })
    {
        const std::string key = std::string(kReconcile) + "\\" + pszSet;
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, key.c_str(), "DefaultDir",
                                              ("*windir\\aurelon-9x\\Start Menu\\" + std::string(pszSet)).c_str()));
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, key.c_str(), "LocalFile",
                                              ("Start Menu\\" + std::string(pszSet)).c_str()));
    }
    const bool bInstalled = RunInstall();
    CRegistrySandbox::DeleteKey(HKEY_LOCAL_MACHINE, kProfiles);
    CRegistrySandbox::DeleteKey(HKEY_CURRENT_USER, kReconcile);
    ASSERT_TRUE(bInstalled);
    for (const std::string& folder : folders)
    {
        ExpectLinkToProgram(folder + "\\Startup\\" + kLinkName);
        ExpectLinkToProgram(folder + "\\Programs\\Accessories\\Multimedia\\" + kLinkName);
    }
    EXPECT_EQ(::GetFileAttributesA(m_startupLink.c_str()), INVALID_FILE_ATTRIBUTES);   // not the shell's
    SHFILEOPSTRUCTA remove = {};
    const std::string from = root + std::string(1, '\0');
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    EXPECT_EQ(::SHFileOperationA(&remove), 0);
}
}
