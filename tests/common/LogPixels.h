// The DPI of the programs that start from now on. Wine gives every process that starts
// the DPI of HKCU\Control Panel\Desktop\LogPixels (and SM_CXSMICON follows it); the
// processes already running keep theirs.
#ifndef AURELON_TESTS_COMMON_LOGPIXELS_H
#define AURELON_TESTS_COMMON_LOGPIXELS_H

#include <windows.h>

// Sets the DPI while it lives; the earlier value (or none) comes back at the end.
class CLogPixels
{
public:
    explicit CLogPixels(DWORD dwDpi);
    ~CLogPixels();
    CLogPixels(const CLogPixels&) = delete;
    CLogPixels& operator=(const CLogPixels&) = delete;

private:
    void Write(DWORD dwDpi) const;

    HKEY m_hKey = nullptr;
    DWORD m_dwSaved = 0;
    bool m_bSaved = false;
};

#endif
