// The shortcut installer against a sandboxed registry and scratch folders on drive C:.
#include <windows.h>
#include <shlobj.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "app/ShortcutInstaller.h"
#include "tests/common/RegistrySandbox.h"
#include "tests/common/ShellLink.h"

namespace
{
const char kDescription[] = "Aurelon 3D Audio Control";
const char kGroup[] = "Accessories\\Multimedia";
const char kLinkName[] = "Aurelon 3D Audio Control.lnk";
const char kProfileList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kStartupReconciliation[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SecondaryProfileReconciliation\\Startup";
const char kProgramsReconciliation[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SecondaryProfileReconciliation\\Programs";

BOOL FileExists(const std::string& strPath)
{
    return GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& strPath)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((strPath + "\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string strName = data.cFileName;
            if (strName == "." || strName == "..")
                continue;
            std::string strChild = strPath + "\\" + strName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(strChild);
            else
                DeleteFileA(strChild.c_str());
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryA(strPath.c_str());
}

// Files (not folders) anywhere below strPath.
int CountFiles(const std::string& strPath)
{
    int nFiles = 0;
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((strPath + "\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    do
    {
        std::string strName = data.cFileName;
        if (strName == "." || strName == "..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            nFiles += CountFiles(strPath + "\\" + strName);
        else
            ++nFiles;
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    return nFiles;
}

// Creates every folder of the path.
void MakeFolders(const std::string& strPath)
{
    for (std::string::size_type n = strPath.find('\\', 3); ; n = strPath.find('\\', n + 1))
    {
        CreateDirectoryA(strPath.substr(0, n).c_str(), NULL);
        if (n == std::string::npos)
            break;
    }
}

// Loads a shortcut back and checks where it points and what it says.
void ExpectLink(const std::string& strLink, const std::string& strTarget)
{
    SCOPED_TRACE(strLink);
    ASSERT_TRUE(FileExists(strLink));
    std::string strStored, strDescription;
    ASSERT_TRUE(ReadLink(strLink, strStored, strDescription, SLGP_RAWPATH));
    EXPECT_EQ(0, lstrcmpiA(strTarget.c_str(), strStored.c_str())) << strStored;
    EXPECT_EQ(kDescription, strDescription);
}
}

class ShortcutInstallerTest : public CRegistrySandboxTest
{
protected:
    void SetUp() override
    {
        CRegistrySandboxTest::SetUp();
        ASSERT_TRUE(SUCCEEDED(CoInitialize(NULL)));
        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        char szName[64];
        std::snprintf(szName, sizeof(szName), "aurelon-install-%lu", GetCurrentProcessId());
        m_strRoot = std::string(szTemp) + szName;
        RemoveTree(m_strRoot);
        ASSERT_TRUE(CreateDirectoryA(m_strRoot.c_str(), NULL));
        char szTarget[MAX_PATH];
        GetModuleFileNameA(NULL, szTarget, MAX_PATH);
        m_strTarget = szTarget;
        char szWindows[MAX_PATH];
        GetWindowsDirectoryA(szWindows, MAX_PATH);
        m_strWindows = szWindows;
        m_strWindowsScratch = std::string("\\") + szName;
    }

    void TearDown() override
    {
        RemoveTree(m_strRoot);
        RemoveTree(m_strWindows + m_strWindowsScratch);
        CoUninitialize();
    }

    void SetShellFolders()
    {
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, kShellFolders, "Startup",
                                              (m_strRoot + "\\Menu\\Startup").c_str()));
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, kShellFolders, "Programs",
                                              (m_strRoot + "\\Menu\\Programs").c_str()));
        MakeFolders(m_strRoot + "\\Menu\\Startup");
        MakeFolders(m_strRoot + "\\Menu\\Programs");
    }

    void AddProfile(const char* pszKey, const std::string* pstrImagePath)
    {
        std::string strKey = std::string(kProfileList) + "\\" + pszKey;
        ASSERT_TRUE(CRegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE, strKey.c_str()));
        if (pstrImagePath != NULL)
        {
            ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, strKey.c_str(),
                                                  "ProfileImagePath", pstrImagePath->c_str()));
        }
    }

    std::string m_strRoot;
    std::string m_strTarget;
    std::string m_strWindows;
    std::string m_strWindowsScratch;
};

TEST(ShortcutPathTest, Composition)
{
    EXPECT_EQ("\\Aurelon 3D Audio Control.lnk", MakeShortcutTail(NULL, kDescription));
    EXPECT_EQ("\\Accessories\\Multimedia\\Aurelon 3D Audio Control.lnk",
              MakeShortcutTail(kGroup, kDescription));
    EXPECT_EQ("C:\\W\\Start\\Up", MakeDefaultProfileFolder("X:\\Start\\Up", "C:\\W"));
    EXPECT_EQ("C:\\W\\", MakeDefaultProfileFolder("X:\\", "C:\\W"));
    EXPECT_EQ("", MakeDefaultProfileFolder("NoBackslash", "C:\\W"));
    EXPECT_EQ("", MakeDefaultProfileFolder("", "C:\\W"));
    EXPECT_EQ("C:\\P\\Start\\x.lnk", MakeProfileShortcutPath("C:\\P", "Start", "\\x.lnk"));
    EXPECT_EQ("C:\\P\\\\x.lnk", MakeProfileShortcutPath("C:\\P", "", "\\x.lnk"));
    EXPECT_EQ("\\Start\\x.lnk", MakeProfileShortcutPath("", "Start", "\\x.lnk"));
}

TEST(ShortcutPathTest, ConversionRefusesWhatItCannotTakeWhole)
{
    WCHAR szWide[MAX_PATH] = L"kept";
    const std::string str259 = "C:\\" + std::string(256, 'a');
    EXPECT_TRUE(ConvertLinkPath(str259, szWide));
    EXPECT_EQ(259u, wcslen(szWide));
    lstrcpyW(szWide, L"kept");
    EXPECT_FALSE(ConvertLinkPath(str259 + "b", szWide));
    EXPECT_FALSE(ConvertLinkPath("C:\\" + std::string(5000, 'a'), szWide));
    EXPECT_STREQ(L"kept", szWide);
}

TEST(ShortcutPathTest, ConversionRefusesUndefinedBytes)
{
    WCHAR szWide[MAX_PATH];
    // A byte that the ANSI code page does not define, if it has one.
    for (int c = 0x80; c <= 0xFF; ++c)
    {
        char szByte[2] = {static_cast<char>(c), 0};
        WCHAR szOut[2];
        if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, szByte, -1, szOut, 2) == 0)
        {
            EXPECT_FALSE(ConvertLinkPath(std::string("C:\\a") + szByte[0] + "b.lnk", szWide)) << c;
            return;
        }
    }
    GTEST_SKIP() << "code page " << GetACP() << " defines every byte";
}

TEST_F(ShortcutInstallerTest, WithoutProfilesBothShortcutsGoToTheShellFolders)
{
    SetShellFolders();
    MakeFolders(m_strRoot + "\\Menu\\Programs\\Accessories\\Multimedia");
    EXPECT_TRUE(CreateStartupShortcuts(m_strTarget.c_str(), kDescription));
    EXPECT_TRUE(CreateProgramGroupShortcuts(m_strTarget.c_str(), kGroup, kDescription));
    ExpectLink(m_strRoot + "\\Menu\\Startup\\" + kLinkName, m_strTarget);
    ExpectLink(m_strRoot + "\\Menu\\Programs\\Accessories\\Multimedia\\" + kLinkName, m_strTarget);
    EXPECT_EQ(2, CountFiles(m_strRoot));
}

TEST_F(ShortcutInstallerTest, WithoutProfilesAMissingGroupFolderIsNotCreated)
{
    SetShellFolders();
    EXPECT_TRUE(CreateStartupShortcuts(m_strTarget.c_str(), kDescription));
    EXPECT_FALSE(CreateProgramGroupShortcuts(m_strTarget.c_str(), kGroup, kDescription));
    EXPECT_FALSE(FileExists(m_strRoot + "\\Menu\\Programs\\Accessories"));
    EXPECT_EQ(1, CountFiles(m_strRoot));
    // Without a group the shortcut lies in the Programs folder itself.
    EXPECT_TRUE(CreateProgramGroupShortcuts(m_strTarget.c_str(), NULL, kDescription));
    ExpectLink(m_strRoot + "\\Menu\\Programs\\" + kLinkName, m_strTarget);
}

TEST_F(ShortcutInstallerTest, WithoutShellFoldersNothingIsWritten)
{
    EXPECT_TRUE(CreateStartupShortcuts(m_strTarget.c_str(), kDescription));
    EXPECT_FALSE(CreateProgramGroupShortcuts(m_strTarget.c_str(), kGroup, kDescription));
    EXPECT_EQ(0, CountFiles(m_strRoot));
}

TEST_F(ShortcutInstallerTest, ProfilesGetTheDefaultAndEveryReadableProfile)
{
    SetShellFolders();   // present, but not used in profile mode
    const std::string strAlice = m_strRoot + "\\alice";
    const std::string strCarol = m_strRoot + "\\carol";
    AddProfile("alice", &strAlice);
    AddProfile("bob", NULL);   // no ProfileImagePath: skipped
    AddProfile("carol", &strCarol);
    MakeFolders(strAlice + "\\Start Menu\\Startup");
    MakeFolders(strCarol + "\\Start Menu\\Startup");
    MakeFolders(m_strRoot + "\\bob\\Start Menu\\Startup");
    const std::string strDefaultDir = "X:" + m_strWindowsScratch + "\\Start\\Up";
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, kStartupReconciliation, "DefaultDir",
                                          strDefaultDir.c_str()));
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, kStartupReconciliation, "LocalFile",
                                          "Start Menu\\Startup"));
    const std::string strDefault = m_strWindows + m_strWindowsScratch + "\\Start\\Up";
    EXPECT_EQ(strDefault, MakeDefaultProfileFolder(strDefaultDir, m_strWindows));
    MakeFolders(strDefault);

    EXPECT_TRUE(CreateStartupShortcuts(m_strTarget.c_str(), kDescription));
    ExpectLink(strDefault + "\\" + kLinkName, m_strTarget);
    ExpectLink(strAlice + "\\Start Menu\\Startup\\" + kLinkName, m_strTarget);
    ExpectLink(strCarol + "\\Start Menu\\Startup\\" + kLinkName, m_strTarget);
    EXPECT_EQ(2, CountFiles(m_strRoot));   // nothing for bob, nothing in the shell folders
}

TEST_F(ShortcutInstallerTest, ProfilesWithoutReconciliationKeyGetNoShortcutOfThatSet)
{
    SetShellFolders();
    MakeFolders(m_strRoot + "\\Menu\\Programs\\Accessories\\Multimedia");
    const std::string strAlice = m_strRoot + "\\alice";
    AddProfile("alice", &strAlice);
    MakeFolders(strAlice + "\\Programs\\Accessories\\Multimedia");
    MakeFolders(strAlice + "\\Startup");
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, kStartupReconciliation, "LocalFile",
                                          "Startup"));

    EXPECT_FALSE(CreateProgramGroupShortcuts(m_strTarget.c_str(), kGroup, kDescription));
    EXPECT_EQ(0, CountFiles(m_strRoot));
    // The Startup set has its key (without DefaultDir: no default-profile shortcut).
    EXPECT_TRUE(CreateStartupShortcuts(m_strTarget.c_str(), kDescription));
    ExpectLink(strAlice + "\\Startup\\" + kLinkName, m_strTarget);
    EXPECT_EQ(1, CountFiles(m_strRoot));
}

TEST_F(ShortcutInstallerTest, ProfilesWithoutLocalFileUseTheProfileDirectory)
{
    const std::string strAlice = m_strRoot + "\\alice";
    AddProfile("alice", &strAlice);
    MakeFolders(strAlice + "\\Accessories\\Multimedia");
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, kProgramsReconciliation,
                                          "DefaultDir", "NoBackslash"));
    // Profile mode reports FALSE even when shortcuts were saved.
    EXPECT_FALSE(CreateProgramGroupShortcuts(m_strTarget.c_str(), kGroup, kDescription));
    ExpectLink(strAlice + "\\Accessories\\Multimedia\\" + kLinkName, m_strTarget);
    EXPECT_EQ(1, CountFiles(m_strRoot));
}

TEST_F(ShortcutInstallerTest, TooLongPathsAreSkippedNotCut)
{
    const std::string strAlice = m_strRoot + "\\alice";
    // The Startup folder of this profile exists, 240 characters long: the whole link path
    // passes MAX_PATH, while a cut one would still name a file inside that folder.
    const size_t cchFolder = 240;
    ASSERT_LT(m_strRoot.size() + 20, cchFolder);
    const std::string strLong =
        m_strRoot + "\\" + std::string(cchFolder - m_strRoot.size() - 1 - 8, 'l');
    const std::string strHuge = m_strRoot + "\\" + std::string(5000, 'h');
    AddProfile("alice", &strAlice);
    AddProfile("long", &strLong);
    AddProfile("huge", &strHuge);
    MakeFolders(strAlice + "\\Startup");
    MakeFolders(strLong + "\\Startup");
    ASSERT_TRUE(FileExists(strLong + "\\Startup"));
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, kStartupReconciliation, "LocalFile",
                                          "Startup"));
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, kStartupReconciliation, "DefaultDir",
                                          ("X:\\" + std::string(3000, 'd')).c_str()));

    EXPECT_TRUE(CreateStartupShortcuts(m_strTarget.c_str(), kDescription));
    ExpectLink(strAlice + "\\Startup\\" + kLinkName, m_strTarget);
    EXPECT_EQ(1, CountFiles(m_strRoot));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE),
              CreateShellLink(m_strTarget.c_str(),
                              (strLong + "\\Startup\\" + kLinkName).c_str(), kDescription));
}
