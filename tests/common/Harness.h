// Test harness for driving real programs from outside, the way another program would:
// start them with a chosen environment, find their windows, wait for effects with a
// deadline, dismiss their dialogs. Every wait is a poll, so a slow machine is not flaky.
#ifndef AURELON_TESTS_COMMON_HARNESS_H
#define AURELON_TESTS_COMMON_HARNESS_H

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// The folder of the running test executable, where the program and its tools are built.
std::string BinDir();
// Full path of a file next to the test executable.
std::string BinPath(const char* pszName);

// Polls cond every few milliseconds (pumping this thread's messages) until it holds
// or the time is up; returns its last answer.
bool WaitUntil(const std::function<bool()>& cond, DWORD dwTimeoutMs = 10000);
// Pumps this thread's messages for a while.
void PumpFor(DWORD dwMs);
// Moves the pointer and waits until every process sees it there and it stays (under Wine
// the move reaches the display server asynchronously).
bool MoveCursorTo(int x, int y);

// CreateProcessA (no security attributes, environment or folder of its own), tried again
// only when Wine failed the start before any of the program's code ran (now and then a new
// Wine process cannot map its shared user data at its fixed address; the same start a
// moment later succeeds). Each retry is printed; a run that needs more than
// kMaxStartRetries of them, or a start that fails otherwise, is a test failure.
const int kMaxStartRetries = 3;
BOOL CreateProcessRetrying(std::string commandLine, BOOL bInheritHandles, DWORD dwFlags,
                           STARTUPINFOA* pStartup, PROCESS_INFORMATION* pInfo);

// One started process. The environment is this process's own plus the given overrides.
class CProcess
{
public:
    CProcess() = default;
    ~CProcess();
    CProcess(const CProcess&) = delete;
    CProcess& operator=(const CProcess&) = delete;

    BOOL Start(const std::string& commandLine,
               const std::vector<std::pair<std::string, std::string>>& env = {});
    // Waits for the end; returns the exit code, or -1 (STILL_ACTIVE is not an answer).
    bool WaitForExit(DWORD dwTimeoutMs, DWORD* pdwExitCode = nullptr);
    bool IsRunning() const;
    void Kill();
    DWORD GetId() const { return m_pi.dwProcessId; }
    HANDLE GetHandle() const { return m_pi.hProcess; }

private:
    PROCESS_INFORMATION m_pi = {};
};

// Top-level windows of a class (NULL: any) and title (NULL: any), of one process (0: any).
std::vector<HWND> FindTopWindows(const char* pszClass, const char* pszTitle, DWORD dwProcessId = 0);
HWND FindTopWindow(const char* pszClass, const char* pszTitle, DWORD dwProcessId = 0);
HWND WaitForTopWindow(const char* pszClass, const char* pszTitle, DWORD dwProcessId = 0,
                      DWORD dwTimeoutMs = 10000);
// A visible dialog (class "#32770") with this caption.
HWND WaitForDialog(const char* pszCaption, DWORD dwProcessId = 0, DWORD dwTimeoutMs = 10000);
// Presses a dialog's button by id (posted, so the call never blocks on the dialog).
void PressDialogButton(HWND hDlg, int nID = IDOK);
// Sends a message to a window of another process and returns its answer, or 0 when the
// receiver does not answer in time or hangs: a hung program fails one check instead of
// stalling the whole run.
LRESULT SendTo(HWND hWnd, UINT nMessage, WPARAM wParam = 0, LPARAM lParam = 0,
               DWORD dwTimeoutMs = 10000);
// The text of a window (any process).
std::string WindowText(HWND hWnd);
// The text of the first static control of a dialog that is neither empty nor a button.
std::string DialogMessageText(HWND hDlg);

#endif
