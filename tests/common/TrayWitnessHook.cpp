#include "TrayWitnessHook.h"
#include "Harness.h"
#include "RegistrySandbox.h"
#include "witness/TrayWitness.h"

CTrayWitness::CTrayWitness()
    : m_hModule(::LoadLibraryA(BinPath(TRAYWITNESS_DLL).c_str())), m_hHook(nullptr)
{
    CRegistrySandbox::DeleteKey(HKEY_CURRENT_USER, TRAYWITNESS_KEY);
    HOOKPROC pfnProc = m_hModule != nullptr
        ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(::GetProcAddress(m_hModule, TRAYWITNESS_PROC)))
        : nullptr;
    if (pfnProc != nullptr)
        m_hHook = ::SetWindowsHookExA(WH_CBT, pfnProc, m_hModule, 0);
}

CTrayWitness::~CTrayWitness()
{
    if (m_hHook != nullptr)
        ::UnhookWindowsHookEx(m_hHook);
    if (m_hModule != nullptr)
        ::FreeLibrary(m_hModule);
    CRegistrySandbox::DeleteKey(HKEY_CURRENT_USER, TRAYWITNESS_KEY);
}

int CTrayWitness::IconAtReceiverEnd() const
{
    std::vector<BYTE> data;
    DWORD dwType = 0;
    if (!CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, TRAYWITNESS_KEY, TRAYWITNESS_VALUE, &dwType, data) ||
        dwType != REG_DWORD || data.size() != sizeof(DWORD))
        return -1;
    return data[0] != 0 ? 1 : 0;
}
