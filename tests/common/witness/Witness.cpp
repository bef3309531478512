// witness.dll: a CBT hook that the system loads into the program under test, to see from
// inside the program's own thread what cannot be seen from outside in time:
// - at the very start of the destruction of a tray receiver window, while the window
//   still exists, whether the shell still holds its icon (the shell drops the icons of a
//   destroyed window by itself a little later, so only this moment tells whether the
//   program removed its icon);
// - every creation of a window of the program's main class, even one that is destroyed
//   again before anyone could find it.
// The answers go to the registry for the test.
#include <windows.h>
#include <shellapi.h>
#include "Witness.h"

namespace
{
bool HasClass(HWND hWnd, const char* pszClass)
{
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    return lstrcmpA(szClass, pszClass) == 0;
}

DWORD ReadValue(HKEY hKey, const char* pszName)
{
    DWORD dwValue = 0, cbValue = sizeof(dwValue);
    if (::RegQueryValueExA(hKey, pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(&dwValue),
                           &cbValue) != ERROR_SUCCESS)
        return 0;
    return dwValue;
}

// Stores a value, or (bAdd) adds to the stored one.
void Record(const char* pszName, DWORD dwValue, bool bAdd)
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, WITNESS_KEY, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                          nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return;
    if (bAdd)
        dwValue += ReadValue(hKey, pszName);
    ::RegSetValueExA(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
    ::RegCloseKey(hKey);
}
}

extern "C" LRESULT CALLBACK WitnessCbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    if (nCode == HCBT_DESTROYWND && HasClass(hWnd, WITNESS_RECEIVER_CLASS))
    {
        NOTIFYICONDATAA nid = {};
        nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
        nid.hWnd = hWnd;
        nid.uID = WITNESS_ICON_ID;
        Record(WITNESS_ICON_AT_RECEIVER_END, ::Shell_NotifyIconA(NIM_MODIFY, &nid) ? 1 : 0, false);
    }
    else if (nCode == HCBT_CREATEWND && HasClass(hWnd, WITNESS_MAIN_CLASS))
    {
        Record(WITNESS_MAIN_WINDOWS, 1, true);
    }
    else if (nCode == HCBT_CREATEWND && HasClass(hWnd, "#32770"))
    {
        // Even a notice that a pending quit message closes again before it shows.
        const CREATESTRUCTA* pcs = reinterpret_cast<const CBT_CREATEWNDA*>(lParam)->lpcs;
        if (pcs->hwndParent != nullptr && !IS_INTRESOURCE(pcs->lpszName) &&
            lstrcmpA(pcs->lpszName, WITNESS_NOTICE_CAPTION) == 0)
            Record(WITNESS_NOTICES, 1, true);
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
