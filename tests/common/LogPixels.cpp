#include "LogPixels.h"

namespace
{
const char kDesktopKey[] = "Control Panel\\Desktop";
const char kLogPixels[] = "LogPixels";
}

CLogPixels::CLogPixels(DWORD dwDpi)
{
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &m_hKey, nullptr);
    DWORD dwType = 0;
    DWORD cb = sizeof(m_dwSaved);
    m_bSaved = ::RegQueryValueExA(m_hKey, kLogPixels, nullptr, &dwType,
                                  reinterpret_cast<BYTE*>(&m_dwSaved), &cb) == ERROR_SUCCESS &&
               dwType == REG_DWORD;
    Write(dwDpi);
}

CLogPixels::~CLogPixels()
{
    if (m_bSaved)
        Write(m_dwSaved);
    else
        ::RegDeleteValueA(m_hKey, kLogPixels);
    ::RegCloseKey(m_hKey);
}

void CLogPixels::Write(DWORD dwDpi) const
{
    ::RegSetValueExA(m_hKey, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwDpi),
                     sizeof(dwDpi));
}
