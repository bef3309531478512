#include "app/ShortcutInstaller.h"
#include <shlobj.h>
#include <vector>
#include "framework/App.h"
#include "support/RegistryKey.h"
#include "support/RegistryValue.h"

namespace
{
const char kProfileList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kStartupReconciliation[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SecondaryProfileReconciliation\\Startup";
const char kProgramsReconciliation[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SecondaryProfileReconciliation\\Programs";

// Where one set of shortcuts goes.
struct ShortcutSet
{
    const char* pszReconciliationKey;
    const char* pszShellFolder;
};

// The whole text of a value, or FALSE when it is missing or not plain text.
BOOL ReadText(CRegistryKey& key, const char* pszName, std::string& strText)
{
    CRegistryStringValue value(&key, pszName);
    return value.ReadText(strText);
}

// Without profiles: the current user's folder only. TRUE when its shortcut was saved.
BOOL CreateCurrentUserShortcut(const ShortcutSet& set, LPCSTR lpszTarget,
                               const std::string& strTail, LPCSTR lpszDescription)
{
    CRegistryKey folders(HKEY_CURRENT_USER, kShellFolders);
    if (!folders.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE))
        return FALSE;
    std::string strFolder;
    // An empty folder would put the shortcut in the root of the current drive.
    if (!ReadText(folders, set.pszShellFolder, strFolder) || strFolder.empty())
        return FALSE;
    return SUCCEEDED(CreateShellLink(lpszTarget, (strFolder + strTail).c_str(), lpszDescription));
}

// With profiles: the default profile's folder, then the folder of every listed profile.
void CreateProfileShortcuts(CRegistryKey& profiles, const ShortcutSet& set, LPCSTR lpszTarget,
                            const std::string& strTail, LPCSTR lpszDescription)
{
    CRegistryKey reconciliation(HKEY_CURRENT_USER, set.pszReconciliationKey);
    if (!reconciliation.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE))
        return;
    std::string strDefaultDir;
    std::string strLocalFile;
    if (!ReadText(reconciliation, "DefaultDir", strDefaultDir))
        strDefaultDir.clear();
    if (!ReadText(reconciliation, "LocalFile", strLocalFile))
        strLocalFile.clear();

    char szWindows[MAX_PATH];
    UINT cchWindows = GetWindowsDirectoryA(szWindows, MAX_PATH);
    if (cchWindows > 0 && cchWindows < MAX_PATH)
    {
        std::string strFolder = MakeDefaultProfileFolder(strDefaultDir, szWindows);
        if (!strFolder.empty())
            CreateShellLink(lpszTarget, (strFolder + strTail).c_str(), lpszDescription);
    }

    std::vector<std::string> names;
    if (!profiles.EnumSubKeys(names))
        return;
    for (const std::string& strName : names)
    {
        CRegistryKey profile(profiles.GetHandle(), strName.c_str());
        if (!profile.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE))
            continue;
        CRegistryStringValue imagePath(&profile, "ProfileImagePath");
        DWORD cbSize = 0;
        if (!imagePath.QuerySize(&cbSize))
            continue;
        std::string strProfileDir;
        if (!imagePath.ReadText(strProfileDir))
            strProfileDir.clear();
        CreateShellLink(lpszTarget,
                        MakeProfileShortcutPath(strProfileDir, strLocalFile, strTail).c_str(),
                        lpszDescription);
    }
}

BOOL CreateShortcutSet(const ShortcutSet& set, LPCSTR lpszTarget, const std::string& strTail,
                       LPCSTR lpszDescription)
{
    // Whether the profile list can be opened (with all access) selects the mode.
    CRegistryKey profiles(HKEY_LOCAL_MACHINE, kProfileList);
    if (!profiles.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE))
        return CreateCurrentUserShortcut(set, lpszTarget, strTail, lpszDescription);
    CreateProfileShortcuts(profiles, set, lpszTarget, strTail, lpszDescription);
    return FALSE;
}
}

std::string MakeShortcutTail(LPCSTR lpszGroup, LPCSTR lpszDescription)
{
    std::string strTail = "\\";
    if (lpszGroup != NULL)
        strTail.append(lpszGroup).append("\\");
    return strTail.append(lpszDescription).append(".lnk");
}

std::string MakeDefaultProfileFolder(const std::string& strDefaultDir,
                                     const std::string& strWindowsDir)
{
    std::string::size_type nBackslash = strDefaultDir.find('\\');
    if (nBackslash == std::string::npos)
        return std::string();
    return strWindowsDir + strDefaultDir.substr(nBackslash);
}

std::string MakeProfileShortcutPath(const std::string& strProfileDir,
                                    const std::string& strLocalFile, const std::string& strTail)
{
    return strProfileDir + "\\" + strLocalFile + strTail;
}

BOOL ConvertLinkPath(const std::string& strPath, WCHAR (&szWide)[MAX_PATH])
{
    if (strPath.size() >= MAX_PATH)
        return FALSE;
    WCHAR szConverted[MAX_PATH];
    int cch = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, strPath.c_str(), -1, szConverted,
                                  MAX_PATH);
    // A cut or partly converted name would save the shortcut somewhere else.
    if (cch == 0)
        return FALSE;
    lstrcpynW(szWide, szConverted, MAX_PATH);
    return TRUE;
}

HRESULT CreateShellLink(LPCSTR lpszTarget, LPCSTR lpszLinkPath, LPCSTR lpszDescription)
{
    WCHAR szWidePath[MAX_PATH];
    if (!ConvertLinkPath(lpszLinkPath, szWidePath))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

    IShellLinkA* pLink = NULL;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&pLink));
    if (FAILED(hr))
        return hr;
    IPersistFile* pFile = NULL;
    hr = pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile));
    if (FAILED(hr))
    {
        pLink->Release();
        return hr;
    }
    // These two texts are fixed, not in the string table.
    if (FAILED(pLink->SetPath(lpszTarget)))
        AfxMessageBox("SetPath failed!", MB_OK | MB_ICONEXCLAMATION);
    if (FAILED(pLink->SetDescription(lpszDescription)))
        AfxMessageBox("SetDescription failed!", MB_OK | MB_ICONEXCLAMATION);
    hr = pFile->Save(szWidePath, TRUE);
    pFile->Release();
    pLink->Release();
    return hr;
}

BOOL CreateStartupShortcuts(LPCSTR lpszTarget, LPCSTR lpszDescription)
{
    const ShortcutSet set = {kStartupReconciliation, "Startup"};
    CreateShortcutSet(set, lpszTarget, MakeShortcutTail(NULL, lpszDescription), lpszDescription);
    return TRUE;
}

BOOL CreateProgramGroupShortcuts(LPCSTR lpszTarget, LPCSTR lpszGroup, LPCSTR lpszDescription)
{
    const ShortcutSet set = {kProgramsReconciliation, "Programs"};
    return CreateShortcutSet(set, lpszTarget, MakeShortcutTail(lpszGroup, lpszDescription),
                             lpszDescription);
}
