// CWindowWitness: installs witness.dll's CBT hook for every thread of the desktop while
// it lives, so that the program reports moments of its windows' lives that cannot be
// seen from outside (see witness/Witness.cpp).
#ifndef AURELON_TESTS_COMMON_WINDOWWITNESS_H
#define AURELON_TESTS_COMMON_WINDOWWITNESS_H

#include <windows.h>

class CWindowWitness
{
public:
    CWindowWitness();
    ~CWindowWitness();
    CWindowWitness(const CWindowWitness&) = delete;
    CWindowWitness& operator=(const CWindowWitness&) = delete;

    bool IsInstalled() const { return m_hHook != nullptr; }
    // 1: the tray icon was still there when its receiver's destruction began; 0: it was
    // gone; -1: no receiver has been destroyed since the hook was installed.
    int IconAtReceiverEnd() const;
    // Windows of the program's main class created since the hook was installed.
    DWORD MainWindowsCreated() const;
    // Already-running notices created since the hook was installed, shown or not.
    DWORD NoticesCreated() const;

private:
    HMODULE m_hModule;
    HHOOK m_hHook;
};

#endif
