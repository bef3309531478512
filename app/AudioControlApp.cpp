#include "app/AudioControlApp.h"
#include "app/MainWnd.h"
#include "app/PrivateMessages.h"
#include "app/ShortcutInstaller.h"
#include "resource.h"
#include <string.h>

namespace
{
const char kInstanceMutexName[] = "Aurelon3DAudioControl.Instance";
const DWORD kResidentWaitMs = 10000;
const DWORD kResidentPollMs = 50;
// Long enough to read the notice; a resident instance that takes longer is stuck.
const DWORD kNoticeWaitMs = 120000;

// Lets the resident instance put its notice in front of the program the user is in.
// Windows 95 and NT 4 have no such call, and need none.
void AllowResidentForeground(HWND hWndResident)
{
    typedef BOOL(WINAPI * PFNALLOWSETFOREGROUNDWINDOW)(DWORD);
    HMODULE hUser = ::GetModuleHandleA("user32.dll");
    PFNALLOWSETFOREGROUNDWINDOW pfnAllow = hUser != nullptr
        ? reinterpret_cast<PFNALLOWSETFOREGROUNDWINDOW>(
              reinterpret_cast<void*>(::GetProcAddress(hUser, "AllowSetForegroundWindow")))
        : nullptr;
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWndResident, &dwProcessId);
    if (pfnAllow != nullptr && dwProcessId != 0)
        pfnAllow(dwProcessId);
}
}

BOOL CAudioControlApp::InitInstance()
{
    HWND hWndResident = nullptr;
    if (!AcquireInstanceMutex(&hWndResident))
        return hWndResident != nullptr ? SignalResidentInstance(hWndResident) : FALSE;
    if (*m_lpCmdLine == '\0')
        return BecomeResident();
    // Only a resident run keeps the instance: the installer may wait on a message box.
    ReleaseInstanceMutex();
    RunInstaller();
    return FALSE;
}

// The window lookup alone races when several starts come at once: the instance mutex
// decides who may go on. A start that finds it owned waits (bounded) for the owner's
// window, or for the owner to end, and takes the mutex over in that case.
// TRUE: this start owns the mutex, or no such mutex can exist (its name is taken by
// another kind of object) and no resident window was found. FALSE: signal
// *phWndResident, or end when it is NULL (the owner showed no window in time: a second
// resident instance without the mutex would be a second icon).
BOOL CAudioControlApp::AcquireInstanceMutex(HWND* phWndResident)
{
    const std::string className = AfxLoadString(IDS_WINDOW_CLASS);
    m_hInstanceMutex = ::CreateMutexA(nullptr, FALSE, kInstanceMutexName);
    if (m_hInstanceMutex == nullptr)
    {
        *phWndResident = ::FindWindowA(className.c_str(), nullptr);
        return *phWndResident == nullptr;
    }
    const DWORD dwStart = ::GetTickCount();
    do
    {
        *phWndResident = ::FindWindowA(className.c_str(), nullptr);
        if (*phWndResident != nullptr)
            break;
        DWORD dwWait = ::WaitForSingleObject(m_hInstanceMutex, kResidentPollMs);
        if (dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED)
            return TRUE;
    } while (::GetTickCount() - dwStart < kResidentWaitMs);
    ::CloseHandle(m_hInstanceMutex);
    m_hInstanceMutex = nullptr;
    return FALSE;
}

void CAudioControlApp::ReleaseInstanceMutex()
{
    if (m_hInstanceMutex == nullptr)
        return;
    ::ReleaseMutex(m_hInstanceMutex);
    ::CloseHandle(m_hInstanceMutex);
    m_hInstanceMutex = nullptr;
}

// Asks the resident instance to hide its panel and show the already-running notice;
// the send returns when the user has dismissed the notice, at once when the resident
// instance is hung, and after kNoticeWaitMs when it never answers.
BOOL CAudioControlApp::SignalResidentInstance(HWND hWndResident) const
{
    AllowResidentForeground(hWndResident);
    DWORD_PTR dwResult = 0;
    ::SendMessageTimeoutA(hWndResident, WM_INSTANCENOTIFY, 0, 1, SMTO_ABORTIFHUNG, kNoticeWaitMs,
                          &dwResult);
    return FALSE;
}

BOOL CAudioControlApp::BecomeResident()
{
    Enable3dControls();
    m_nCmdShow = SW_HIDE;
    CMainWnd* pMainWnd = new CMainWnd;
    if (pMainWnd->CreateMainWindow())
    {
        m_pMainWnd = pMainWnd;
        return TRUE;
    }
    delete pMainWnd;
    m_pMainWnd = nullptr;
    return FALSE;
}

void CAudioControlApp::RunInstaller() const
{
    // Only the installer needs OLE; any other argument ends without paying for it.
    if (!ContainsInstallSwitch(m_lpCmdLine, AfxLoadString(IDS_INSTALL_SWITCH).c_str()))
        return;
    // Shortcuts in the profiles beside the package's own would start a second copy at
    // every logon, and outlive the package's uninstall.
    if (IsPackageInstalled())
        return;
    if (!AfxOleInit())
        return;
    char szModule[MAX_PATH];
    // A full buffer holds a cut path (unterminated on older systems): it names another file.
    DWORD cchModule = ::GetModuleFileNameA(nullptr, szModule, MAX_PATH);
    if (cchModule == 0 || cchModule >= MAX_PATH)
        return;
    std::string description = AfxLoadString(IDS_PRODUCT);
    CreateStartupShortcuts(szModule, description.c_str());
    std::string group = AfxLoadString(IDS_PROGRAM_GROUP);
    CreateProgramGroupShortcuts(szModule, group.c_str(), description.c_str());
}

int CAudioControlApp::ExitInstance()
{
    if (m_pMainWnd != nullptr)
    {
        m_pMainWnd->DestroyWindow();
        delete m_pMainWnd;
        m_pMainWnd = nullptr;
    }
    ReleaseInstanceMutex();
    return CWinApp::ExitInstance();
}

BOOL ContainsInstallSwitch(LPCSTR lpszArgs, LPCSTR lpszSwitch)
{
    size_t nLen = strlen(lpszSwitch);
    if (nLen == 0)
        return FALSE;
    for (LPCSTR p = lpszArgs; *p != '\0'; p = ::CharNextA(p))
    {
        if (strncmp(p, lpszSwitch, nLen) == 0)
            return TRUE;
    }
    return FALSE;
}
