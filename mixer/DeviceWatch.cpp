#include "mixer/DeviceWatch.h"

#include <dbt.h>

namespace
{
// KSCATEGORY_AUDIO: every audio device's interface class, the mixer's included.
const GUID c_guidAudioInterfaces = {0x6994AD04, 0x93EF, 0x11D0,
                                    {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

typedef HANDLE (WINAPI* PFNREGISTERDEVICENOTIFICATION)(HANDLE hRecipient, LPVOID pFilter, DWORD dwFlags);
typedef BOOL (WINAPI* PFNUNREGISTERDEVICENOTIFICATION)(HANDLE hNotify);

FARPROC User32Function(const char* pszName)
{
    HMODULE hUser = ::GetModuleHandleA("user32.dll");
    return hUser != nullptr ? ::GetProcAddress(hUser, pszName) : nullptr;
}
}

BOOL IsNtDeviceModel()
{
    // The high bit marks Windows 95 to ME; the low byte is the major version.
    const DWORD dwVersion = ::GetVersion();
    return (dwVersion & 0x80000000) == 0 && LOBYTE(LOWORD(dwVersion)) >= 5;
}

HANDLE WatchAudioInterfaces(HWND hWnd)
{
    PFNREGISTERDEVICENOTIFICATION pfnRegister = reinterpret_cast<PFNREGISTERDEVICENOTIFICATION>(
        reinterpret_cast<void*>(User32Function("RegisterDeviceNotificationA")));
    if (pfnRegister == nullptr)
        return nullptr;
    DEV_BROADCAST_DEVICEINTERFACE_A filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = c_guidAudioInterfaces;
    return pfnRegister(hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void StopWatchingAudioInterfaces(HANDLE hWatch)
{
    PFNUNREGISTERDEVICENOTIFICATION pfnUnregister = reinterpret_cast<PFNUNREGISTERDEVICENOTIFICATION>(
        reinterpret_cast<void*>(User32Function("UnregisterDeviceNotification")));
    if (hWatch != nullptr && pfnUnregister != nullptr)
        pfnUnregister(hWatch);
}
