// CChipSimLibrary: the control interface of chipsim.dll, reached at run time. Tools and
// tests load the DLL by path (the same path the program's mixer layer loads, so both
// share one module) and call the ChipSim... functions through these pointers.
#ifndef AURELON_CHIPSIM_CHIPSIMCLIENT_H
#define AURELON_CHIPSIM_CHIPSIMCLIENT_H

#include "chipsim/ChipSim.h"

class CChipSimLibrary
{
public:
    explicit CChipSimLibrary(const char* pszDllPath)
        : m_hModule(::LoadLibraryA(pszDllPath))
    {
        m_bComplete = m_hModule != nullptr
            && Resolve("ChipSimSetLayout", m_pfnSetLayout)
            && Resolve("ChipSimGetLayout", m_pfnGetLayout)
            && Resolve("ChipSimSetOptions", m_pfnSetOptions)
            && Resolve("ChipSimGetDeviceCount", m_pfnGetDeviceCount)
            && Resolve("ChipSimUnplug", m_pfnUnplug)
            && Resolve("ChipSimPlug", m_pfnPlug)
            && Resolve("ChipSimIsPlugged", m_pfnIsPlugged)
            && Resolve("ChipSimBroadcastDevNode", m_pfnBroadcastDevNode)
            && Resolve("ChipSimBroadcastPort", m_pfnBroadcastPort)
            && Resolve("ChipSimBroadcastDevNodesChanged", m_pfnBroadcastDevNodesChanged)
            && Resolve("ChipSimGetWriteCount", m_pfnGetWriteCount)
            && Resolve("ChipSimClearWriteCounts", m_pfnClearWriteCounts)
            && Resolve("ChipSimGetValue", m_pfnGetValue)
            && Resolve("ChipSimDescribe", m_pfnDescribe);
    }
    ~CChipSimLibrary()
    {
        if (m_hModule != nullptr)
            ::FreeLibrary(m_hModule);
    }
    CChipSimLibrary(const CChipSimLibrary&) = delete;
    CChipSimLibrary& operator=(const CChipSimLibrary&) = delete;

    // TRUE when the DLL was loaded and offers every function.
    BOOL IsLoaded() const { return m_bComplete; }

    decltype(&ChipSimSetLayout) m_pfnSetLayout = nullptr;
    decltype(&ChipSimGetLayout) m_pfnGetLayout = nullptr;
    decltype(&ChipSimSetOptions) m_pfnSetOptions = nullptr;
    decltype(&ChipSimGetDeviceCount) m_pfnGetDeviceCount = nullptr;
    decltype(&ChipSimUnplug) m_pfnUnplug = nullptr;
    decltype(&ChipSimPlug) m_pfnPlug = nullptr;
    decltype(&ChipSimIsPlugged) m_pfnIsPlugged = nullptr;
    decltype(&ChipSimBroadcastDevNode) m_pfnBroadcastDevNode = nullptr;
    decltype(&ChipSimBroadcastPort) m_pfnBroadcastPort = nullptr;
    decltype(&ChipSimBroadcastDevNodesChanged) m_pfnBroadcastDevNodesChanged = nullptr;
    decltype(&ChipSimGetWriteCount) m_pfnGetWriteCount = nullptr;
    decltype(&ChipSimClearWriteCounts) m_pfnClearWriteCounts = nullptr;
    decltype(&ChipSimGetValue) m_pfnGetValue = nullptr;
    decltype(&ChipSimDescribe) m_pfnDescribe = nullptr;

private:
    template <typename T>
    bool Resolve(const char* pszName, T& pfn)
    {
        pfn = reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(m_hModule, pszName)));
        return pfn != nullptr;
    }

    HMODULE m_hModule;
    BOOL m_bComplete;
};

#endif
