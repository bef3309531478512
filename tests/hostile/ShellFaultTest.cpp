// Shell faults: restarts of the task bar, callbacks for icons that are gone, an icon
// that could not be added at start.
#include "FaultKit.h"
#include "WindowWitness.h"
#include <shellapi.h>

namespace
{
class ShellFaultTest : public ::testing::Test
{
protected:
    NOTIFYICONDATAA Icon()
    {
        NOTIFYICONDATAA nid = {};
        nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
        nid.hWnd = m_program.TrayReceiver();
        nid.uID = 1;
        return nid;
    }
    // Modifying succeeds only while the shell holds the icon.
    bool IconPresent()
    {
        NOTIFYICONDATAA nid = Icon();
        return ::Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
    }
    void ShellRestarts()
    {
        SendTo(m_program.TrayReceiver(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    }

    CAurelonProgram m_program;
};

TEST_F(ShellFaultTest, ManyShellRestartsKeepExactlyOneIcon)
{
    ASSERT_TRUE(m_program.StartResident());
    const DWORD dwPid = m_program.Process().GetId();
    ShellRestarts();
    const ProcessCounters before = TakeProcessCounters(dwPid);
    const int nRestarts = Repetitions(100);
    ProcessCounters middle;
    for (int i = 0; i < nRestarts; ++i)
    {
        if (i == nRestarts / 2)
            middle = HalfWay(m_program, dwPid);
        ShellRestarts();
        ASSERT_TRUE(IconPresent()) << i;
    }
    // One icon: once deleted, none is left behind under the receiver.
    NOTIFYICONDATAA nid = Icon();
    EXPECT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &nid));
    EXPECT_FALSE(IconPresent());
    ShellRestarts();
    EXPECT_TRUE(IconPresent());
    std::printf("[ restarts ] %d\n", nRestarts);
    ExpectFlat("shell restarts", before, middle, TakeProcessCounters(dwPid));
    // After all the restarts the icon still leaves with the program: the shell no longer
    // held it when the program began to destroy the receiver window.
    CWindowWitness witness;
    ASSERT_TRUE(witness.IsInstalled());
    EXPECT_TRUE(m_program.Exit());
    EXPECT_EQ(witness.IconAtReceiverEnd(), 0);
}

TEST_F(ShellFaultTest, IconMissingAtStartComesWithTheShell)
{
    ASSERT_TRUE(m_program.StartResident());
    NOTIFYICONDATAA nid = Icon();
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &nid));   // as if NIM_ADD had failed
    // Callbacks for the removed icon and for ids never added change nothing.
    for (UINT nID : { 1u, 2u, 0u, 0xFFFFFFFFu })
    {
        m_program.Tray(WM_LBUTTONDOWN, nID);
        m_program.Tray(WM_LBUTTONUP, nID);
        m_program.Tray(WM_RBUTTONUP, nID);
    }
    m_program.Sync();   // every callback above has been handled
    if (HWND hMenu = FindVisibleMenu())
        ::PostMessageA(hMenu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(m_program.Process().IsRunning());
    EXPECT_FALSE(IconPresent());
    ShellRestarts();
    EXPECT_TRUE(IconPresent());
    EXPECT_TRUE(m_program.Exit());
}
}
