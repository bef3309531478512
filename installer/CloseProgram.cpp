// Custom actions of the installer package. Only what Windows 95 and NT 4.0 with Windows
// Installer 2.0 offer is used: the x86 package runs there.
//
// CloseProgram runs before the package upgrades or removes the program: it ends a resident
// Aurelon 3D Audio Control, whose file is in use while it runs, and waits for its end, so
// that the file is replaced or removed at once instead of at a restart. The resident
// instance is the one top-level window of class "Aurelon3DAudioControl" (the program's
// single-instance identity). It is asked to close as taskkill would ask it: the program then
// saves the user's presets and removes its tray icon, as its Exit command does.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include "app/ShortcutFolders.h"
#include <cwchar>

namespace
{
const DWORD kTimeoutMs = 10000;
const DWORD kPollMs = 100;

// The program's string 506 in each of its languages, as the system's ANSI code page writes
// it; a name that this code page cannot write exactly (no best fit: it would be another
// folder's name) names no folder here.
std::vector<std::string> ProgramGroups()
{
    static const WCHAR* const kGroups[] = {
        L"Accessories\\Multimedia", L"Zubeh\u00F6r\\Unterhaltungsmedien", L"Accessoires\\Divertissement",
        L"Accesorios\\Entretenimiento", L"Accessori\\Svago",
        L"\u30A2\u30AF\u30BB\u30B5\u30EA\\\u30A8\u30F3\u30BF\u30FC\u30C6\u30A4\u30E1\u30F3\u30C8",
    };
    std::vector<std::string> groups;
    for (const WCHAR* pszGroup : kGroups)
    {
        char szGroup[MAX_PATH];
        WCHAR szBack[MAX_PATH];
        // Converted back, a name that the code page wrote exactly is the same name.
        if (::WideCharToMultiByte(CP_ACP, 0, pszGroup, -1, szGroup, MAX_PATH, NULL, NULL) > 0 &&
            ::MultiByteToWideChar(CP_ACP, 0, szGroup, -1, szBack, MAX_PATH) > 0 &&
            std::wcscmp(szBack, pszGroup) == 0)
            groups.push_back(szGroup);
    }
    return groups;
}

// Waits for the end of the window's process, or of the window when the process cannot be
// opened. TRUE when it ended in time.
BOOL WaitForEnd(HWND hMain, HANDLE hProcess)
{
    if (hProcess != NULL)
        return ::WaitForSingleObject(hProcess, kTimeoutMs) == WAIT_OBJECT_0;
    for (DWORD dwWaited = 0; dwWaited < kTimeoutMs; dwWaited += kPollMs)
    {
        if (!::IsWindow(hMain))
            return TRUE;
        ::Sleep(kPollMs);
    }
    return !::IsWindow(hMain);
}

// The package's own shortcuts, from the action's data ("path|path"): a folder of the
// user's that the installer gave the package holds one of the same name.
std::vector<std::string> PackageShortcuts(MSIHANDLE hInstall)
{
    std::vector<std::string> paths;
    char szData[4 * MAX_PATH] = "";
    DWORD cch = sizeof(szData);
    if (::MsiGetPropertyA(hInstall, "CustomActionData", szData, &cch) != ERROR_SUCCESS)
        return paths;
    std::string strData = szData;
    for (size_t nStart = 0; nStart <= strData.size();)
    {
        size_t nEnd = strData.find('|', nStart);
        if (nEnd == std::string::npos)
            nEnd = strData.size();
        paths.push_back(strData.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
    }
    return paths;
}

BOOL IsPackageShortcut(const std::vector<std::string>& package, const std::string& strPath)
{
    for (const std::string& strOwn : package)
    {
        if (::lstrcmpiA(strOwn.c_str(), strPath.c_str()) == 0)
            return TRUE;
    }
    return FALSE;
}
}

// ERROR_SUCCESS when no program runs on this desktop any more; it then sets
// AURELON_PROGRAM_CLOSED when it ended one, so that the package starts it again at the
// end, whatever the outcome. ERROR_INSTALL_FAILURE when the program did not end in time: the install stops
// before it has changed anything.
extern "C" UINT __stdcall CloseProgram(MSIHANDLE hInstall)
{
    HWND hMain = ::FindWindowA("Aurelon3DAudioControl", NULL);
    if (hMain == NULL)
        return ERROR_SUCCESS;
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hMain, &dwProcessId);
    HANDLE hProcess = ::OpenProcess(SYNCHRONIZE, FALSE, dwProcessId);
    ::PostMessageA(hMain, WM_CLOSE, 0, 0);
    const BOOL bEnded = WaitForEnd(hMain, hProcess);
    if (hProcess != NULL)
        ::CloseHandle(hProcess);
    if (!bEnded)
        return ERROR_INSTALL_FAILURE;
    ::MsiSetPropertyA(hInstall, "AURELON_PROGRAM_CLOSED", "1");
    return ERROR_SUCCESS;
}

// Removes the shortcuts that "Aurelon3D.exe -install" wrote into the profiles, by the name
// and group it gives them: beside the package's own, they would start a second copy at every
// logon, and they would outlive the uninstall. Run at the commit of an install or removal
// of the package ("-install" writes none while a package is installed), so that one that
// fails or is cancelled leaves them. A shortcut that stays is no reason to fail the install:
// always ERROR_SUCCESS.
extern "C" UINT __stdcall RemoveUserShortcuts(MSIHANDLE hInstall)
{
    const char kDescription[] = "Aurelon 3D Audio Control";   // the program's string 111
    BOOL bProfiles = FALSE;
    std::vector<std::string> paths =
        ShortcutPaths(kStartupShortcuts, MakeShortcutTail(NULL, kDescription), &bProfiles);
    for (const std::string& strGroup : ProgramGroups())
    {
        const std::vector<std::string> group =
            ShortcutPaths(kProgramShortcuts, MakeShortcutTail(strGroup.c_str(), kDescription), &bProfiles);
        paths.insert(paths.end(), group.begin(), group.end());
    }
    const std::vector<std::string> package = PackageShortcuts(hInstall);
    for (const std::string& strPath : paths)
        if (!IsPackageShortcut(package, strPath))
            ::DeleteFileA(strPath.c_str());
    return ERROR_SUCCESS;
}
