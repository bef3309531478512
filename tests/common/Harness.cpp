#include "Harness.h"
#include <cstdio>
#include <gtest/gtest.h>

std::string BinDir()
{
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string path(szPath);
    size_t nSlash = path.find_last_of("\\/");
    return nSlash == std::string::npos ? std::string(".") : path.substr(0, nSlash);
}

std::string BinPath(const char* pszName)
{
    return BinDir() + "\\" + pszName;
}

void PumpFor(DWORD dwMs)
{
    DWORD dwStart = ::GetTickCount();
    do
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (::GetTickCount() - dwStart < dwMs);
}

bool WaitUntil(const std::function<bool()>& cond, DWORD dwTimeoutMs)
{
    DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        if (cond())
            return true;
        if (::GetTickCount() - dwStart >= dwTimeoutMs)
            return cond();
        PumpFor(10);
    }
}

bool MoveCursorTo(int x, int y)
{
    // A pointer event that the display server sent before the move may still arrive and put
    // the pointer back: the move counts once the pointer stays there a while.
    auto there = [&] {
        POINT pt;
        return ::GetCursorPos(&pt) && pt.x == x && pt.y == y;
    };
    for (int nTry = 0; nTry < 3; ++nTry)
    {
        ::SetCursorPos(x, y);
        if (WaitUntil(there, 5000) && !WaitUntil([&] { return !there(); }, 300))
            return true;
    }
    return false;
}

CProcess::~CProcess()
{
    if (IsRunning())
        Kill();
    if (m_pi.hProcess != nullptr)
        ::CloseHandle(m_pi.hProcess);
    if (m_pi.hThread != nullptr)
        ::CloseHandle(m_pi.hThread);
}

BOOL CreateProcessRetrying(std::string commandLine, BOOL bInheritHandles, DWORD dwFlags,
                           STARTUPINFOA* pStartup, PROCESS_INFORMATION* pInfo)
{
    // A process that ends before Wine has set it up leaves CreateProcess with no exit code
    // to report: Wine then fails the call with STATUS_INTERNAL_ERROR.
    static int s_nRetries = 0;
    for (;;)
    {
        if (::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, bInheritHandles, dwFlags,
                             nullptr, nullptr, pStartup, pInfo))
            return TRUE;
        const DWORD dwError = ::GetLastError();
        if (dwError != ERROR_INTERNAL_ERROR || ++s_nRetries > kMaxStartRetries)
        {
            ADD_FAILURE() << "start of " << commandLine << " failed: error " << dwError;
            ::SetLastError(dwError);
            return FALSE;
        }
        fprintf(stderr, "retry %d of %d in this run: Wine could not set up %s\n", s_nRetries,
                kMaxStartRetries, commandLine.c_str());
        ::Sleep(200);
    }
}

BOOL CProcess::Start(const std::string& commandLine,
                     const std::vector<std::pair<std::string, std::string>>& env)
{
    std::vector<std::pair<std::string, std::string>> saved;
    for (const auto& var : env)
    {
        char szOld[32768];
        DWORD n = ::GetEnvironmentVariableA(var.first.c_str(), szOld, sizeof(szOld));
        saved.emplace_back(var.first, n > 0 ? std::string(szOld) : std::string("\x01"));
        ::SetEnvironmentVariableA(var.first.c_str(), var.second.empty() ? nullptr : var.second.c_str());
    }
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    BOOL bStarted = CreateProcessRetrying(commandLine, FALSE, 0, &si, &m_pi);
    for (const auto& var : saved)
        ::SetEnvironmentVariableA(var.first.c_str(), var.second == "\x01" ? nullptr : var.second.c_str());
    return bStarted;
}

bool CProcess::WaitForExit(DWORD dwTimeoutMs, DWORD* pdwExitCode)
{
    if (m_pi.hProcess == nullptr || ::WaitForSingleObject(m_pi.hProcess, dwTimeoutMs) != WAIT_OBJECT_0)
        return false;
    DWORD dwCode = 0;
    ::GetExitCodeProcess(m_pi.hProcess, &dwCode);
    if (pdwExitCode != nullptr)
        *pdwExitCode = dwCode;
    return true;
}

bool CProcess::IsRunning() const
{
    return m_pi.hProcess != nullptr && ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

void CProcess::Kill()
{
    ::TerminateProcess(m_pi.hProcess, 99);
    ::WaitForSingleObject(m_pi.hProcess, 5000);
}

namespace
{
struct FindContext
{
    const char* pszClass;
    const char* pszTitle;
    DWORD dwProcessId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    FindContext* pContext = reinterpret_cast<FindContext*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (pContext->dwProcessId != 0 && dwProcessId != pContext->dwProcessId)
        return TRUE;
    char szClass[256] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (pContext->pszClass != nullptr && lstrcmpA(szClass, pContext->pszClass) != 0)
        return TRUE;
    if (pContext->pszTitle != nullptr && WindowText(hWnd) != pContext->pszTitle)
        return TRUE;
    pContext->found.push_back(hWnd);
    return TRUE;
}
}

std::vector<HWND> FindTopWindows(const char* pszClass, const char* pszTitle, DWORD dwProcessId)
{
    FindContext context = { pszClass, pszTitle, dwProcessId, {} };
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&context));
    return context.found;
}

HWND FindTopWindow(const char* pszClass, const char* pszTitle, DWORD dwProcessId)
{
    std::vector<HWND> windows = FindTopWindows(pszClass, pszTitle, dwProcessId);
    return windows.empty() ? nullptr : windows.front();
}

HWND WaitForTopWindow(const char* pszClass, const char* pszTitle, DWORD dwProcessId,
                      DWORD dwTimeoutMs)
{
    HWND hWnd = nullptr;
    WaitUntil([&] { return (hWnd = FindTopWindow(pszClass, pszTitle, dwProcessId)) != nullptr; },
              dwTimeoutMs);
    return hWnd;
}

HWND WaitForDialog(const char* pszCaption, DWORD dwProcessId, DWORD dwTimeoutMs)
{
    HWND hDlg = nullptr;
    WaitUntil([&] {
        for (HWND hWnd : FindTopWindows("#32770", pszCaption, dwProcessId))
        {
            if (::IsWindowVisible(hWnd))
            {
                hDlg = hWnd;
                return true;
            }
        }
        return false;
    }, dwTimeoutMs);
    return hDlg;
}

void PressDialogButton(HWND hDlg, int nID)
{
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
}

LRESULT SendTo(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam, DWORD dwTimeoutMs)
{
    DWORD_PTR dwResult = 0;
    if (!::SendMessageTimeoutA(hWnd, nMessage, wParam, lParam, SMTO_ABORTIFHUNG, dwTimeoutMs, &dwResult))
        return 0;
    return static_cast<LRESULT>(dwResult);
}

std::string WindowText(HWND hWnd)
{
    char szText[1024] = "";
    SendTo(hWnd, WM_GETTEXT, sizeof(szText), reinterpret_cast<LPARAM>(szText), 2000);
    return szText;
}

std::string DialogMessageText(HWND hDlg)
{
    for (HWND hChild = ::GetWindow(hDlg, GW_CHILD); hChild != nullptr;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        char szClass[64] = "";
        ::GetClassNameA(hChild, szClass, sizeof(szClass));
        std::string text = WindowText(hChild);
        if (lstrcmpiA(szClass, "Static") == 0 && !text.empty())
            return text;
    }
    return std::string();
}
