// traywitness.dll: a CBT hook that the system loads into the program under test. At the
// very start of the destruction of a tray receiver window, while the window still
// exists, it asks the shell whether it still holds that window's icon, and records the
// answer in the registry for the test (CTrayWitness). The shell drops the icons of a
// destroyed window by itself a little later, so only this moment tells whether the
// program removed its icon.
#include <windows.h>
#include <shellapi.h>
#include "TrayWitness.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK TrayWitnessProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_DESTROYWND)
    {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        char szClass[64] = "";
        ::GetClassNameA(hWnd, szClass, sizeof(szClass));
        if (lstrcmpA(szClass, TRAYWITNESS_RECEIVER_CLASS) == 0)
        {
            NOTIFYICONDATAA nid = {};
            nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
            nid.hWnd = hWnd;
            nid.uID = TRAYWITNESS_ICON_ID;
            DWORD dwPresent = ::Shell_NotifyIconA(NIM_MODIFY, &nid) ? 1 : 0;
            HKEY hKey = nullptr;
            if (::RegCreateKeyExA(HKEY_CURRENT_USER, TRAYWITNESS_KEY, 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &hKey, nullptr) == ERROR_SUCCESS)
            {
                ::RegSetValueExA(hKey, TRAYWITNESS_VALUE, 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&dwPresent), sizeof(dwPresent));
                ::RegCloseKey(hKey);
            }
        }
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
