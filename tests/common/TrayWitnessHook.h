// CTrayWitness: installs traywitness.dll's CBT hook for every thread of the desktop, so
// that the program, when it destroys its tray receiver window, reports whether the
// shell still held the icon at that moment (see witness/TrayWitness.cpp).
#ifndef AURELON_TESTS_COMMON_TRAYWITNESSHOOK_H
#define AURELON_TESTS_COMMON_TRAYWITNESSHOOK_H

#include <windows.h>

class CTrayWitness
{
public:
    CTrayWitness();
    ~CTrayWitness();
    CTrayWitness(const CTrayWitness&) = delete;
    CTrayWitness& operator=(const CTrayWitness&) = delete;

    bool IsInstalled() const { return m_hHook != nullptr; }
    // 1: the icon was still there when the receiver's destruction began; 0: it was gone;
    // -1: no receiver has been destroyed since the hook was installed.
    int IconAtReceiverEnd() const;

private:
    HMODULE m_hModule;
    HHOOK m_hHook;
};

#endif
