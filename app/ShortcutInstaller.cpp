#include "app/ShortcutInstaller.h"
#include <shlobj.h>
#include <cstring>
#include "app/DelayLoad.h"
#include "framework/App.h"

namespace
{
// The upgrade code of the program's Windows Installer package (installer/Aurelon3D.wxs),
// shared by every version and architecture of it.
const char kPackageUpgradeCode[] = "{6F3D2C1B-4E0A-4B7C-9A85-2D1E6C0B7A41}";
typedef UINT(WINAPI* PFNMSIENUMRELATEDPRODUCTSA)(LPCSTR, DWORD, DWORD, LPSTR);

// Writes the set's shortcuts; TRUE only when, without profiles, the current user's one was
// saved (a failed shortcut never stops the others).
BOOL CreateShortcutSet(const ShortcutSet& set, LPCSTR lpszTarget, const std::string& strTail,
                       LPCSTR lpszDescription)
{
    BOOL bProfiles = FALSE;
    BOOL bSaved = FALSE;
    for (const std::string& strPath : ShortcutPaths(set, strTail, &bProfiles))
        bSaved = SUCCEEDED(CreateShellLink(lpszTarget, strPath.c_str(), lpszDescription));
    return !bProfiles && bSaved;
}
}

// Windows Installer is looked up at run time: a system without it has no package either.
BOOL IsPackageInstalled()
{
    HMODULE hMsi = LoadSystemLibrary("msi.dll");
    if (hMsi == NULL)
        return FALSE;
    PFNMSIENUMRELATEDPRODUCTSA pfnEnum = reinterpret_cast<PFNMSIENUMRELATEDPRODUCTSA>(
        reinterpret_cast<void*>(::GetProcAddress(hMsi, "MsiEnumRelatedProductsA")));
    char szProductCode[39];
    BOOL bInstalled = pfnEnum != NULL && pfnEnum(kPackageUpgradeCode, 0, 0, szProductCode) == ERROR_SUCCESS;
    ::FreeLibrary(hMsi);
    return bInstalled;
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
    std::memcpy(szWide, szConverted, static_cast<size_t>(cch) * sizeof(WCHAR));
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
    CreateShortcutSet(kStartupShortcuts, lpszTarget, MakeShortcutTail(NULL, lpszDescription), lpszDescription);
    return TRUE;
}

BOOL CreateProgramGroupShortcuts(LPCSTR lpszTarget, LPCSTR lpszGroup, LPCSTR lpszDescription)
{
    return CreateShortcutSet(kProgramShortcuts, lpszTarget, MakeShortcutTail(lpszGroup, lpszDescription),
                             lpszDescription);
}
