#include "app/DelayLoad.h"

#include <commctrl.h>
#include <objbase.h>
#include <ole2.h>
#include <shellapi.h>
#include <cstring>
#include <string>

namespace
{
// Every stand-in leaves this for GetLastError, as the loader does for a missing function.
void SetMissing()
{
    ::SetLastError(ERROR_PROC_NOT_FOUND);
}

int WINAPI NoImageListAddMasked(HIMAGELIST, HBITMAP, COLORREF)
{
    SetMissing();
    return -1;
}

HIMAGELIST WINAPI NoImageListCreate(int, int, UINT, int, int)
{
    SetMissing();
    return nullptr;
}

BOOL WINAPI NoImageListDestroy(HIMAGELIST)
{
    SetMissing();
    return FALSE;
}

BOOL WINAPI NoImageListDraw(HIMAGELIST, int, HDC, int, int, UINT)
{
    SetMissing();
    return FALSE;
}

BOOL WINAPI NoImageListGetImageInfo(HIMAGELIST, int, IMAGEINFO*)
{
    SetMissing();
    return FALSE;
}

BOOL WINAPI NoInitCommonControlsEx(const INITCOMMONCONTROLSEX*)
{
    SetMissing();
    return FALSE;
}

HRESULT WINAPI NoCoCreateInstance(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID* ppv)
{
    if (ppv != nullptr)
        *ppv = nullptr;
    SetMissing();
    return REGDB_E_CLASSNOTREG;
}

HRESULT WINAPI NoOleInitialize(LPVOID)
{
    SetMissing();
    return E_FAIL;
}

void WINAPI NoOleUninitialize()
{
}

BOOL WINAPI NoShellNotifyIconA(DWORD, PNOTIFYICONDATAA)
{
    SetMissing();
    return FALSE;
}

BOOL WINAPI NoGetFileVersionInfoA(LPCSTR, DWORD, DWORD, LPVOID)
{
    SetMissing();
    return FALSE;
}

DWORD WINAPI NoGetFileVersionInfoSizeA(LPCSTR, LPDWORD pdwHandle)
{
    if (pdwHandle != nullptr)
        *pdwHandle = 0;
    SetMissing();
    return 0;
}

BOOL WINAPI NoVerQueryValueA(LPCVOID, LPCSTR, LPVOID* ppBuffer, PUINT puLen)
{
    if (ppBuffer != nullptr)
        *ppBuffer = nullptr;
    if (puLen != nullptr)
        *puLen = 0;
    SetMissing();
    return FALSE;
}

BOOL WINAPI NoGetMonitorInfoA(HMONITOR, LPMONITORINFO)
{
    SetMissing();
    return FALSE;
}

HMONITOR WINAPI NoMonitorFromPoint(POINT, DWORD)
{
    SetMissing();
    return nullptr;
}

// T is the real function's pointer type: a stand-in whose parameters or calling convention
// differ from it (and would leave a 32-bit caller's stack unbalanced) does not compile.
template <typename T>
FARPROC StandIn(T pfn)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(pfn));
}

struct STANDIN
{
    const char* pszName;
    FARPROC pfn;
};

// One entry for each function of cmake/delayimp/.
const STANDIN g_standIns[] = {
    {"ImageList_AddMasked", StandIn<decltype(&::ImageList_AddMasked)>(NoImageListAddMasked)},
    {"ImageList_Create", StandIn<decltype(&::ImageList_Create)>(NoImageListCreate)},
    {"ImageList_Destroy", StandIn<decltype(&::ImageList_Destroy)>(NoImageListDestroy)},
    {"ImageList_Draw", StandIn<decltype(&::ImageList_Draw)>(NoImageListDraw)},
    {"ImageList_GetImageInfo", StandIn<decltype(&::ImageList_GetImageInfo)>(NoImageListGetImageInfo)},
    {"InitCommonControlsEx", StandIn<decltype(&::InitCommonControlsEx)>(NoInitCommonControlsEx)},
    {"CoCreateInstance", StandIn<decltype(&::CoCreateInstance)>(NoCoCreateInstance)},
    {"OleInitialize", StandIn<decltype(&::OleInitialize)>(NoOleInitialize)},
    {"OleUninitialize", StandIn<decltype(&::OleUninitialize)>(NoOleUninitialize)},
    {"Shell_NotifyIconA", StandIn<decltype(&::Shell_NotifyIconA)>(NoShellNotifyIconA)},
    {"GetFileVersionInfoA", StandIn<decltype(&::GetFileVersionInfoA)>(NoGetFileVersionInfoA)},
    {"GetFileVersionInfoSizeA", StandIn<decltype(&::GetFileVersionInfoSizeA)>(NoGetFileVersionInfoSizeA)},
    {"VerQueryValueA", StandIn<decltype(&::VerQueryValueA)>(NoVerQueryValueA)},
    {"GetMonitorInfoA", StandIn<decltype(&::GetMonitorInfoA)>(NoGetMonitorInfoA)},
    {"MonitorFromPoint", StandIn<decltype(&::MonitorFromPoint)>(NoMonitorFromPoint)},
};
}

FARPROC DelayLoadStandIn(const char* pszName)
{
    for (const STANDIN& standIn : g_standIns)
    {
        if (std::strcmp(standIn.pszName, pszName) == 0)
            return standIn.pfn;
    }
    return nullptr;
}

HMODULE LoadSystemLibrary(LPCSTR pszName)
{
    char szSystem[MAX_PATH];
    UINT cch = ::GetSystemDirectoryA(szSystem, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return NULL;
    const std::string strPath = std::string(szSystem) + "\\" + pszName;
    return ::LoadLibraryExA(strPath.c_str(), NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace
{
typedef BOOL(WINAPI* PFNFINDACTCTXSECTIONSTRINGA)(DWORD, const GUID*, ULONG, LPCSTR, PACTCTX_SECTION_KEYED_DATA);

// Whether the program's manifest redirects the DLL to a side-by-side assembly (comctl32
// version 6 from Windows XP on): the loader then takes the assembly's copy for the bare
// name, before any folder is searched. Windows 2000 has no assemblies.
BOOL IsSideBySide(LPCSTR pszName)
{
    PFNFINDACTCTXSECTIONSTRINGA pfnFind = reinterpret_cast<PFNFINDACTCTXSECTIONSTRINGA>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "FindActCtxSectionStringA")));
    ACTCTX_SECTION_KEYED_DATA data = {};
    data.cbSize = sizeof(data);
    return pfnFind != nullptr &&
           pfnFind(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, pszName, &data);
}
}

FARPROC WINAPI DelayLoadNotifyHook(unsigned dliNotify, PDelayLoadInfo pdli)
{
    if (dliNotify != dliNotePreLoadLibrary)
        return nullptr;
    HMODULE hModule = IsSideBySide(pdli->szDll) ? ::LoadLibraryA(pdli->szDll) : LoadSystemLibrary(pdli->szDll);
    if (hModule == NULL)
        hModule = ::GetModuleHandleA(nullptr);
    return reinterpret_cast<FARPROC>(hModule);
}

FARPROC WINAPI DelayLoadFailureHook(unsigned dliNotify, PDelayLoadInfo pdli)
{
    if (dliNotify == dliFailLoadLib)
        return reinterpret_cast<FARPROC>(::GetModuleHandleA(nullptr));
    if (dliNotify == dliFailGetProc && pdli->dlp.fImportByName)
        return DelayLoadStandIn(pdli->dlp.szProcName);
    return nullptr;
}
