// A second start that arrives while the resident program waits for the shell: inside the
// tray icon's add (the program is still starting), inside a change of its picture right
// after a close request, and inside its removal (the program is ending). The program takes
// sent messages while it waits, so the request is handled there; it must be answered at
// once, with no notice over a half-made or half-destroyed panel.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "WindowWitness.h"
#include "resource.h"
#include <shellapi.h>
#include <atomic>
#include <memory>
#include <thread>

namespace
{
const char kProduct[] = "Aurelon 3D Audio Control";

// A stand-in for the shell's tray window, found before the real one (the topmost window
// made last). Wine's Shell_NotifyIcon sends it WM_COPYDATA with the NIM_ code in dwData.
// At the first call with the watched code, while the program waits for the answer, it
// optionally asks the program to close, then makes a second start and waits for its end.
class CTrayStandIn
{
public:
    // hMainWnd: the program's window, for the close request (NULL: none).
    CTrayStandIn(DWORD dwWatched, HWND hMainWnd)
        : m_dwWatched(dwWatched), m_hMainWnd(hMainWnd), m_thread([this] { Run(); })
    {
        WaitUntil([&] { return m_hWnd != nullptr; });
    }
    ~CTrayStandIn()
    {
        ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        m_thread.join();
    }

    std::atomic<bool> m_bSeen{ false };          // the watched call came
    std::atomic<bool> m_bSecondEnded{ false };   // the second start ended by itself in time
    std::atomic<bool> m_bNoticeShown{ false };   // the program showed the notice meanwhile
    std::atomic<bool> m_bDone{ false };          // the watched call is answered

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
    {
        CTrayStandIn* pThis = reinterpret_cast<CTrayStandIn*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (nMsg == WM_COPYDATA && pThis != nullptr)
        {
            pThis->OnNotifyIcon(reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData);
            return TRUE;
        }
        if (nMsg == WM_CLOSE)
            ::PostQuitMessage(0);
        return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
    }

    void OnNotifyIcon(ULONG_PTR dwCode)
    {
        if (dwCode != m_dwWatched || m_bSeen)
            return;
        m_bSeen = true;
        if (m_hMainWnd != nullptr)
            SendTo(m_hMainWnd, WM_CLOSE);
        CProcess second;
        if (!second.Start("\"" + BinPath("Aurelon3D.exe") + "\""))
        {
            m_bDone = true;
            return;
        }
        m_bSecondEnded = second.WaitForExit(5000);
        // A notice holds the second start until it is answered.
        for (HWND hNotice : FindTopWindows("#32770", kProduct))
        {
            m_bNoticeShown = true;
            PressDialogButton(hNotice, IDOK);
        }
        second.WaitForExit(5000);
        m_bDone = true;
    }

    void Run()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "Shell_TrayWnd";
        ::RegisterClassA(&wc);
        HWND hWnd = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0, 0,
                                      0, 0, nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_hWnd = hWnd;
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
            ::DispatchMessageA(&msg);
        ::DestroyWindow(hWnd);
        ::UnregisterClassA(wc.lpszClassName, wc.hInstance);
    }

    const DWORD m_dwWatched;
    const HWND m_hMainWnd;
    std::atomic<HWND> m_hWnd{ nullptr };
    std::thread m_thread;
};

TEST(InstanceTimingTest, SecondStartWhileStartingOrEndingEndsWithoutNotice)
{
    struct Case
    {
        const char* pszWhen;
        DWORD dwWatched;
        bool bCloseFirst;
    };
    const Case cases[] = {
        { "inside the icon's add", NIM_ADD, false },
        { "after a close request", NIM_MODIFY, true },
        { "inside the icon's removal", NIM_DELETE, false },
    };
    for (const Case& c : cases)
    {
        CAurelonProgram program;
        CWindowWitness witness;   // sees a notice that is closed again before it shows
        ASSERT_TRUE(witness.IsInstalled());
        std::unique_ptr<CTrayStandIn> pTray;
        if (c.dwWatched == NIM_ADD)
        {
            pTray.reset(new CTrayStandIn(c.dwWatched, nullptr));
            ASSERT_TRUE(program.Start()) << c.pszWhen;
        }
        else
        {
            ASSERT_TRUE(program.StartResident()) << c.pszWhen;
            pTray.reset(new CTrayStandIn(c.dwWatched, c.bCloseFirst ? program.MainWnd() : nullptr));
            if (c.dwWatched == NIM_MODIFY)   // the tray picture follows the effect
                ASSERT_TRUE(program.SetChipValue(program.MuteID(), 1)) << c.pszWhen;
            else
                ::PostMessageA(program.Panel(), WM_COMMAND, ID_APP_EXIT, 0);
        }
        CTrayStandIn& tray = *pTray;
        ASSERT_TRUE(WaitUntil([&] { return tray.m_bDone.load(); }, 30000)) << c.pszWhen;
        EXPECT_TRUE(tray.m_bSecondEnded) << c.pszWhen;
        EXPECT_FALSE(tray.m_bNoticeShown) << c.pszWhen;
        EXPECT_EQ(witness.NoticesCreated(), 0u) << c.pszWhen;
        if (c.dwWatched == NIM_ADD)   // the start goes on to a resident run
            EXPECT_TRUE(WaitUntil([&] { return program.Panel() != nullptr; }, 15000));
        else                          // the exit goes on to its end
            EXPECT_TRUE(program.Process().WaitForExit(15000)) << c.pszWhen;
    }
    // Where a notice is due, the witness counts it: a second start while resident.
    CAurelonProgram program;
    CWindowWitness witness;
    ASSERT_TRUE(program.StartResident());
    EXPECT_TRUE(program.AnswerSecondStart(""));
    EXPECT_EQ(witness.NoticesCreated(), 1u);
    EXPECT_TRUE(program.Exit());
}
}
