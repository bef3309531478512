// wininfo: a console tool that looks at the windows of a running desktop from outside,
// for scripts that drive the program with real input (end-to-end tests, screenshots,
// the run command). It prints window rectangles and texts, and can end the resident
// program the way its "E&xit" command does.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const char c_szMainClass[] = "Aurelon3DAudioControl";
const UINT c_nExitCommand = 32773;
const int c_nEnabledID = 1019;

const char c_szUsage[] =
    "usage: wininfo <command> [arguments]\n"
    "\n"
    "  windows [class|-] [title|-]   top-level windows: handle, process, visible, rectangle,\n"
    "                                class and text (tab separated)\n"
    "  children <handle>             child windows: handle, id, visible, rectangle, class, text\n"
    "  cursor                        the cursor position\n"
    "  screen                        the screen size\n"
    "  foreground                    the foreground window's handle\n"
    "  post <handle> <msg> <wparam> <lparam>\n"
    "                                post a message (numbers in C notation)\n"
    "  exit [timeout-ms]             post \"Exit\" to the resident program's panel and wait\n"
    "                                for its end; prints the exit code\n";

struct CFilter
{
    const char* pszClass;
    const char* pszTitle;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectTop(HWND hWnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

// The text as the window itself reports it (tooltips answer with their current tip).
std::string WindowText(HWND hWnd)
{
    char szText[1024] = "";
    DWORD_PTR nResult = 0;
    if (!::SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof(szText), reinterpret_cast<LPARAM>(szText),
                               SMTO_ABORTIFHUNG, 1000, &nResult))
        return std::string();
    szText[sizeof(szText) - 1] = '\0';
    for (char* p = szText; *p != '\0'; ++p)
    {
        if (*p == '\t' || *p == '\r' || *p == '\n')
            *p = ' ';
    }
    return szText;
}

std::string ClassName(HWND hWnd)
{
    char szClass[256] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    return szClass;
}

void PrintWindow(HWND hWnd, long nSecond)
{
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    std::printf("0x%lx\t%ld\t%d\t%ld\t%ld\t%ld\t%ld\t%s\t%s\n",
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hWnd)), nSecond,
                ::IsWindowVisible(hWnd) ? 1 : 0, rc.left, rc.top, rc.right, rc.bottom,
                ClassName(hWnd).c_str(), WindowText(hWnd).c_str());
}

BOOL ParseNumber(const char* pszText, UINT_PTR* pnValue)
{
    char* pszEnd = nullptr;
    const unsigned long long nValue = std::strtoull(pszText, &pszEnd, 0);
    if (*pszText == '\0' || *pszEnd != '\0')
        return FALSE;
    *pnValue = static_cast<UINT_PTR>(nValue);
    return TRUE;
}

std::vector<HWND> TopWindows()
{
    std::vector<HWND> windows;
    ::EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

int ListWindows(const char* pszClass, const char* pszTitle)
{
    for (HWND hWnd : TopWindows())
    {
        if (pszClass != nullptr && ClassName(hWnd) != pszClass)
            continue;
        char szTitle[512] = "";
        ::GetWindowTextA(hWnd, szTitle, sizeof(szTitle));
        if (pszTitle != nullptr && std::strcmp(szTitle, pszTitle) != 0)
            continue;
        DWORD dwProcessId = 0;
        ::GetWindowThreadProcessId(hWnd, &dwProcessId);
        PrintWindow(hWnd, static_cast<long>(dwProcessId));
    }
    return 0;
}

BOOL CALLBACK PrintChild(HWND hWnd, LPARAM)
{
    PrintWindow(hWnd, static_cast<long>(::GetDlgCtrlID(hWnd)));
    return TRUE;
}

// The panel is the dialog of the resident process that holds the "&Enabled" box.
HWND FindPanel(DWORD* pdwProcessId)
{
    HWND hMain = ::FindWindowA(c_szMainClass, nullptr);
    if (hMain == nullptr)
        return nullptr;
    ::GetWindowThreadProcessId(hMain, pdwProcessId);
    for (HWND hWnd : TopWindows())
    {
        DWORD dwProcessId = 0;
        ::GetWindowThreadProcessId(hWnd, &dwProcessId);
        if (dwProcessId == *pdwProcessId && ClassName(hWnd) == "#32770"
            && ::GetDlgItem(hWnd, c_nEnabledID) != nullptr)
            return hWnd;
    }
    return nullptr;
}

int ExitProgram(DWORD dwTimeoutMs)
{
    DWORD dwProcessId = 0;
    HWND hPanel = FindPanel(&dwProcessId);
    if (hPanel == nullptr)
    {
        std::fprintf(stderr, "wininfo: the program is not running\n");
        return 1;
    }
    HANDLE hProcess = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, dwProcessId);
    ::PostMessageA(hPanel, WM_COMMAND, c_nExitCommand, 0);
    if (hProcess == nullptr)
        return 0;
    DWORD dwCode = 1;
    const BOOL bEnded = ::WaitForSingleObject(hProcess, dwTimeoutMs) == WAIT_OBJECT_0
                        && ::GetExitCodeProcess(hProcess, &dwCode);
    ::CloseHandle(hProcess);
    if (!bEnded)
    {
        std::fprintf(stderr, "wininfo: the program did not end\n");
        return 1;
    }
    std::printf("%lu\n", dwCode);
    return dwCode == 0 ? 0 : 1;
}

const char* Optional(int argc, char** argv, int i)
{
    return i < argc && std::strcmp(argv[i], "-") != 0 ? argv[i] : nullptr;
}
}

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fputs(c_szUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    if (command == "windows")
        return ListWindows(Optional(argc, argv, 2), Optional(argc, argv, 3));
    if (command == "children" && argc == 3)
    {
        UINT_PTR nHandle = 0;
        if (!ParseNumber(argv[2], &nHandle))
            return 2;
        ::EnumChildWindows(reinterpret_cast<HWND>(nHandle), PrintChild, 0);
        return 0;
    }
    if (command == "cursor")
    {
        POINT pt = {};
        ::GetCursorPos(&pt);
        std::printf("%ld %ld\n", pt.x, pt.y);
        return 0;
    }
    if (command == "screen")
    {
        std::printf("%d %d\n", ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
        return 0;
    }
    if (command == "foreground")
    {
        std::printf("0x%lx\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(::GetForegroundWindow())));
        return 0;
    }
    if (command == "post" && argc == 6)
    {
        UINT_PTR nValues[4] = {};
        for (int i = 0; i < 4; ++i)
        {
            if (!ParseNumber(argv[i + 2], &nValues[i]))
                return 2;
        }
        return ::PostMessageA(reinterpret_cast<HWND>(nValues[0]), static_cast<UINT>(nValues[1]),
                              static_cast<WPARAM>(nValues[2]), static_cast<LPARAM>(nValues[3]))
                   ? 0
                   : 1;
    }
    if (command == "exit")
    {
        UINT_PTR nTimeout = 15000;
        if (argc > 2 && !ParseNumber(argv[2], &nTimeout))
            return 2;
        return ExitProgram(static_cast<DWORD>(nTimeout));
    }
    std::fputs(c_szUsage, stderr);
    return 2;
}
