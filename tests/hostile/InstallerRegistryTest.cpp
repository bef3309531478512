// The installer's registry reads with hostile contents: the profile list, the
// reconciliation keys and the shell folders, each missing, of the wrong type, without
// terminator, empty, oversized, composing a path at the MAX_PATH edge, or non-ASCII.
// The installer runs in this process; it must never crash, never save a shortcut under a
// cut or garbled name, and save exactly the expected one where the input is good.
#include <windows.h>
#include <shlobj.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>
#include <string>
#include "RegistryShapes.h"
#include "ShellLink.h"
#include "app/ShortcutInstaller.h"

namespace
{
const char kDescription[] = "Aurelon 3D Audio Control";
const char kTail[] = "\\Aurelon 3D Audio Control.lnk";
const char kProfileList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kReconciliation[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SecondaryProfileReconciliation\\";

void RemoveTree(const std::string& strPath)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((strPath + "\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::string strName = data.cFileName;
            if (strName == "." || strName == "..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(strPath + "\\" + strName);
            else
                ::DeleteFileA((strPath + "\\" + strName).c_str());
        } while (::FindNextFileA(hFind, &data));
        ::FindClose(hFind);
    }
    ::RemoveDirectoryA(strPath.c_str());
}

// Every file below strPath, by full name.
void ListFiles(const std::string& strPath, std::vector<std::string>& files)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((strPath + "\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do
    {
        const std::string strName = data.cFileName;
        if (strName == "." || strName == "..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(strPath + "\\" + strName, files);
        else
            files.push_back(strPath + "\\" + strName);
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
}

void MakeFolders(const std::string& strPath)
{
    for (std::string::size_type n = strPath.find('\\', 3);; n = strPath.find('\\', n + 1))
    {
        ::CreateDirectoryA(strPath.substr(0, n).c_str(), NULL);
        if (n == std::string::npos)
            break;
    }
}

// Where a case's shortcut must end up.
enum Where
{
    kNowhere,
    kAtComposedPath,    // the folder the value names, followed by the tail
    kInProfileDir,      // the profile directory itself (LocalFile empty)
    kInShellFolder,     // the current user's folder (no profile list)
};

// One value the installer reads. text(name) is the value leading to folder(name); the
// other reads are set up good around it.
struct Read
{
    const char* pszName;
    std::function<void()> setUpOthers;
    std::function<std::string(const std::string&)> text;
    std::function<std::string(const std::string&)> folder;
    HKEY hRoot;
    std::string strKey;       // the key holding the value; "missing key" deletes strKeyToDelete
    std::string strKeyToDelete;
    std::string strValue;
    Where whenKeyMissing;
    Where whenUnreadable;     // missing value, wrong type, or read as empty text
    Where whenEmpty;
};

// One stored shape: its value made from the read's text, and where it must lead.
struct Shape
{
    std::string strName;
    std::function<RawValue(const Read&)> value;
    std::function<Where(const Read&)> where;
    std::string strFolderName;   // the folder name in the composed path (created beforehand)
};
}

class InstallerRegistryTest : public CRegistrySandboxTest
{
protected:
    void SetUp() override
    {
        CRegistrySandboxTest::SetUp();
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(NULL)));
        char szTemp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, szTemp);
        char szName[64];
        std::snprintf(szName, sizeof(szName), "aurelon-hostile-%lu", ::GetCurrentProcessId());
        m_strRoot = std::string(szTemp) + szName;
        char szWindows[MAX_PATH];
        ::GetWindowsDirectoryA(szWindows, MAX_PATH);
        m_strWindows = szWindows;
        m_strWindowsScratch = std::string("\\") + szName;
        char szTarget[MAX_PATH];
        ::GetModuleFileNameA(NULL, szTarget, MAX_PATH);
        m_strTarget = szTarget;
        // A path from "the root of the current drive" then means C:\ of the prefix.
        ::GetCurrentDirectoryA(MAX_PATH, szTemp);
        m_strOldDirectory = szTemp;
        ::SetCurrentDirectoryA(m_strWindows.c_str());
        m_strDriveRoot = m_strWindows.substr(0, 2);
    }

    void TearDown() override
    {
        CleanFiles();
        ::SetCurrentDirectoryA(m_strOldDirectory.c_str());
        ::CoUninitialize();
    }

    void CleanFiles()
    {
        RemoveTree(m_strRoot);
        RemoveTree(m_strWindows + m_strWindowsScratch);
        ::DeleteFileA((m_strDriveRoot + kTail).c_str());
    }

    // Runs one set and checks the files written against the expectation.
    void RunCase(const std::string& strCase, BOOL bStartup, Where where, const std::string& strComposed)
    {
        SCOPED_TRACE(strCase);
        ++HostileCases();
        if (bStartup)
            EXPECT_TRUE(CreateStartupShortcuts(m_strTarget.c_str(), kDescription));
        else
            CreateProgramGroupShortcuts(m_strTarget.c_str(), NULL, kDescription);

        std::vector<std::string> files;
        ListFiles(m_strRoot, files);
        ListFiles(m_strWindows + m_strWindowsScratch, files);
        const std::string strRootLink = m_strDriveRoot + kTail;
        if (::GetFileAttributesA(strRootLink.c_str()) != INVALID_FILE_ATTRIBUTES)
            files.push_back(strRootLink);
        std::string strExpected;
        if (where == kAtComposedPath)
            strExpected = strComposed;
        else if (where == kInProfileDir)
            strExpected = m_strRoot + "\\alice" + kTail;
        else if (where == kInShellFolder)
            strExpected = m_strRoot + "\\shell" + kTail;
        if (strExpected.empty())
        {
            EXPECT_TRUE(files.empty()) << "unexpected shortcut " << files[0];
            return;
        }
        ASSERT_EQ(1u, files.size()) << "expected only " << strExpected;
        EXPECT_EQ(0, lstrcmpiA(strExpected.c_str(), files[0].c_str())) << files[0];
        ExpectTarget(files[0]);
    }

    void ExpectTarget(const std::string& strLink)
    {
        std::string strStored, strDescription;
        ASSERT_TRUE(ReadLink(strLink, strStored, strDescription, SLGP_RAWPATH)) << strLink;
        EXPECT_EQ(0, lstrcmpiA(m_strTarget.c_str(), strStored.c_str())) << strStored;
    }

    // The four reads, for the Startup set or the program-group set.
    std::vector<Read> Reads(BOOL bStartup)
    {
        const std::string strReconciliation = std::string(kReconciliation) + (bStartup ? "Startup" : "Programs");
        const char* pszShellValue = bStartup ? "Startup" : "Programs";
        const std::string strAlice = std::string(kProfileList) + "\\alice";
        const std::string strRoot = m_strRoot;
        const std::string strWindows = m_strWindows;
        const std::string strScratch = m_strWindowsScratch;
        std::vector<Read> reads;
        reads.push_back({ "ProfileImagePath",
                          [=] {
                              CRegistrySandbox::SetText(HKEY_CURRENT_USER, strReconciliation.c_str(), "LocalFile", "S");
                              // Used only when the profile list is missing.
                              CRegistrySandbox::SetText(HKEY_CURRENT_USER, kShellFolders, pszShellValue,
                                                        (strRoot + "\\shell").c_str());
                              MakeFolders(strRoot + "\\shell");
                          },
                          [=](const std::string& s) { return strRoot + "\\" + s; },
                          [=](const std::string& s) { return strRoot + "\\" + s + "\\S"; },
                          HKEY_LOCAL_MACHINE, strAlice, kProfileList, "ProfileImagePath",
                          kInShellFolder, kNowhere, kNowhere });
        reads.push_back({ "DefaultDir",
                          [=] {
                              CRegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE, kProfileList);
                              CRegistrySandbox::CreateKey(HKEY_CURRENT_USER, strReconciliation.c_str());
                          },
                          [=](const std::string& s) { return "X:" + strScratch + "\\" + s; },
                          [=](const std::string& s) { return strWindows + strScratch + "\\" + s; },
                          HKEY_CURRENT_USER, strReconciliation, strReconciliation, "DefaultDir",
                          kNowhere, kNowhere, kNowhere });
        reads.push_back({ "LocalFile",
                          [=] {
                              CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, strAlice.c_str(), "ProfileImagePath",
                                                        (strRoot + "\\alice").c_str());
                              MakeFolders(strRoot + "\\alice");
                          },
                          [=](const std::string& s) { return "S\\" + s; },
                          [=](const std::string& s) { return strRoot + "\\alice\\S\\" + s; },
                          HKEY_CURRENT_USER, strReconciliation, strReconciliation, "LocalFile",
                          kNowhere, kInProfileDir, kInProfileDir });
        reads.push_back({ pszShellValue,
                          [] { CRegistrySandbox::DeleteKey(HKEY_LOCAL_MACHINE, kProfileList); },
                          [=](const std::string& s) { return strRoot + "\\" + s; },
                          [=](const std::string& s) { return strRoot + "\\" + s; },
                          HKEY_CURRENT_USER, kShellFolders, kShellFolders, pszShellValue,
                          kNowhere, kNowhere, kNowhere });
        return reads;
    }

    // A folder name that makes the composed shortcut path exactly cchPath characters long.
    static std::string NameForLength(const Read& read, size_t cchPath)
    {
        const size_t cchFixed = read.folder("").size() + sizeof(kTail) - 1;
        return std::string(cchPath - cchFixed, 'n');
    }

    std::vector<Shape> Shapes(const Read& read)
    {
        auto at = [](const Read&) { return kAtComposedPath; };
        auto nowhere = [](const Read&) { return kNowhere; };
        auto unreadable = [](const Read& r) { return r.whenUnreadable; };
        auto good = [](const std::string& strName) {
            return [strName](const Read& r) { return Text(r.text(strName)); };
        };
        std::vector<Shape> shapes = {
            { "good", good("good"), at, "good" },
            { "missing key", [](const Read&) { return Missing(); },
              [](const Read& r) { return r.whenKeyMissing; }, "good" },
            { "missing value", [](const Read&) { return Missing(); }, unreadable, "good" },
            { "REG_DWORD", [](const Read&) { return Dword(7); }, unreadable, "good" },
            { "REG_EXPAND_SZ", [](const Read& r) { return Text(r.text("good"), REG_EXPAND_SZ); },
              unreadable, "good" },
            { "REG_MULTI_SZ",
              [](const Read& r) { return RawValue(REG_MULTI_SZ, r.text("good") + std::string(2, '\0')); },
              unreadable, "good" },
            { "REG_BINARY 3", [](const Read& r) { return RawValue(REG_BINARY, r.text("good").substr(0, 3)); },
              unreadable, "good" },
            { "REG_BINARY 5", [](const Read& r) { return RawValue(REG_BINARY, r.text("good").substr(0, 5)); },
              unreadable, "good" },
            { "REG_SZ unterminated", [](const Read& r) { return Unterminated(r.text("good")); }, at, "good" },
            { "REG_SZ size 0", [](const Read&) { return RawValue(REG_SZ, ""); },
              [](const Read& r) { return r.whenEmpty; }, "good" },
            { "REG_SZ 64 KiB", [](const Read& r) { return Text(r.text(std::string(65536, 'n'))); }, nowhere, "" },
            { "path of MAX_PATH - 1", good(NameForLength(read, MAX_PATH - 1)), at,
              NameForLength(read, MAX_PATH - 1) },
            { "path of MAX_PATH", good(NameForLength(read, MAX_PATH)), nowhere, NameForLength(read, MAX_PATH) },
            { "path of MAX_PATH + 1", good(NameForLength(read, MAX_PATH + 1)), nowhere,
              NameForLength(read, MAX_PATH + 1) },
            { "non-ASCII", good("\xC4\xD6\xDC"), at, "\xC4\xD6\xDC" },
            { "double-byte", good("\x82\xA0\x83\x41"), at, "\x82\xA0\x83\x41" },
        };
        // A byte that the ANSI code page leaves undefined, if it has one: never saved under
        // whatever the conversion would make of it.
        for (int c = 0x80; c <= 0xFF; ++c)
        {
            const char szByte[2] = { static_cast<char>(c), 0 };
            WCHAR szOut[2];
            if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, szByte, -1, szOut, 2) == 0)
            {
                const std::string strName = std::string("u") + szByte + "u";
                shapes.push_back({ "undefined byte", good(strName), nowhere, strName });
                break;
            }
        }
        return shapes;
    }

    void RunAll(BOOL bStartup)
    {
        int nCases = 0;
        for (const Read& read : Reads(bStartup))
        {
            for (const Shape& shape : Shapes(read))
            {
                const std::string strCase = std::string(read.pszName) + ": " + shape.strName;
                CleanFiles();
                CRegistrySandbox::DeleteKey(HKEY_LOCAL_MACHINE, kProfileList);
                CRegistrySandbox::DeleteKey(HKEY_CURRENT_USER, "Software");
                CRegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE, (std::string(kProfileList) + "\\alice").c_str());
                CRegistrySandbox::SetText(HKEY_CURRENT_USER, kShellFolders, "Unrelated", "x");
                read.setUpOthers();
                Store(read.hRoot, read.strKey.c_str(), read.strValue.c_str(), shape.value(read));
                if (shape.strName == "missing key")
                {
                    ASSERT_TRUE(CRegistrySandbox::DeleteKey(read.hRoot, read.strKeyToDelete.c_str())) << strCase;
                }
                // The folder exists, so that only the installer decides whether it is used.
                std::string strComposed;
                if (!shape.strFolderName.empty())
                {
                    const std::string strFolder = read.folder(shape.strFolderName);
                    MakeFolders(strFolder);
                    ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(strFolder.c_str())) << strCase;
                    strComposed = strFolder + kTail;
                }
                RunCase(strCase + (bStartup ? " (Startup)" : " (Programs)"), bStartup,
                        shape.where(read), strComposed);
                ++nCases;
            }
        }
        std::printf("[ cases    ] %d installer reads (%s)\n", nCases, bStartup ? "Startup" : "Programs");
    }

    std::string m_strRoot;
    std::string m_strWindows;
    std::string m_strWindowsScratch;
    std::string m_strTarget;
    std::string m_strOldDirectory;
    std::string m_strDriveRoot;
};

TEST_F(InstallerRegistryTest, StartupSetReads)
{
    RunAll(TRUE);
}

TEST_F(InstallerRegistryTest, ProgramGroupSetReads)
{
    RunAll(FALSE);
}
