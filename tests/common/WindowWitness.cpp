#include "WindowWitness.h"
#include "Harness.h"
#include "RegistrySandbox.h"
#include "witness/Witness.h"

namespace
{
// A value the hook recorded, or -1.
long Recorded(const char* pszName)
{
    return static_cast<long>(CRegistrySandbox::GetDword(HKEY_CURRENT_USER, WITNESS_KEY, pszName));
}
}

CWindowWitness::CWindowWitness()
    : m_hModule(::LoadLibraryA(BinPath(WITNESS_DLL).c_str())), m_hHook(nullptr)
{
    CRegistrySandbox::DeleteKey(HKEY_CURRENT_USER, WITNESS_KEY);
    HOOKPROC pfnProc = m_hModule != nullptr
        ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(::GetProcAddress(m_hModule, WITNESS_PROC)))
        : nullptr;
    if (pfnProc != nullptr)
        m_hHook = ::SetWindowsHookExA(WH_CBT, pfnProc, m_hModule, 0);
}

CWindowWitness::~CWindowWitness()
{
    if (m_hHook != nullptr)
        ::UnhookWindowsHookEx(m_hHook);
    if (m_hModule != nullptr)
        ::FreeLibrary(m_hModule);
    CRegistrySandbox::DeleteKey(HKEY_CURRENT_USER, WITNESS_KEY);
}

int CWindowWitness::IconAtReceiverEnd() const
{
    long nValue = Recorded(WITNESS_ICON_AT_RECEIVER_END);
    return nValue < 0 ? -1 : (nValue != 0 ? 1 : 0);
}

DWORD CWindowWitness::MainWindowsCreated() const
{
    long nValue = Recorded(WITNESS_MAIN_WINDOWS);
    return nValue < 0 ? 0 : static_cast<DWORD>(nValue);
}

DWORD CWindowWitness::NoticesCreated() const
{
    long nValue = Recorded(WITNESS_NOTICES);
    return nValue < 0 ? 0 : static_cast<DWORD>(nValue);
}
