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
}
