#include "app/ShortcutFolders.h"
#include "support/RegistryKey.h"
#include "support/RegistryValue.h"

namespace
{
const char kProfileList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The whole text of a value, or FALSE when it is missing or not plain text.
BOOL ReadText(CRegistryKey& key, const char* pszName, std::string& strText)
{
    CRegistryStringValue value(&key, pszName);
    return value.ReadText(strText);
}

// Without profiles: the current user's folder only.
void AddCurrentUserPath(const ShortcutSet& set, const std::string& strTail, std::vector<std::string>& paths)
{
    CRegistryKey folders(HKEY_CURRENT_USER, kShellFolders);
    if (!folders.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE))
        return;
    std::string strFolder;
    // An empty folder would put the shortcut in the root of the current drive.
    if (ReadText(folders, set.pszShellFolder, strFolder) && !strFolder.empty())
        paths.push_back(strFolder + strTail);
}

// With profiles: the default profile's folder, then the folder of every listed profile.
void AddProfilePaths(CRegistryKey& profiles, const ShortcutSet& set, const std::string& strTail,
                     std::vector<std::string>& paths)
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
            paths.push_back(strFolder + strTail);
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
        paths.push_back(MakeProfileShortcutPath(strProfileDir, strLocalFile, strTail));
    }
}
}

const ShortcutSet kStartupShortcuts = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\SecondaryProfileReconciliation\\Startup", "Startup"};
const ShortcutSet kProgramShortcuts = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\SecondaryProfileReconciliation\\Programs", "Programs"};

std::vector<std::string> ShortcutPaths(const ShortcutSet& set, const std::string& strTail, BOOL* pbProfiles)
{
    std::vector<std::string> paths;
    // Whether the profile list can be opened (with all access) selects the mode.
    CRegistryKey profiles(HKEY_LOCAL_MACHINE, kProfileList);
    *pbProfiles = profiles.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE);
    if (*pbProfiles)
        AddProfilePaths(profiles, set, strTail, paths);
    else
        AddCurrentUserPath(set, strTail, paths);
    return paths;
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
