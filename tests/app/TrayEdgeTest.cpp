// Mouse messages of the tray icon that the program must ignore, and right clicks on the
// panel outside the preset buttons.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "resource.h"

namespace
{
class TrayEdgeTest : public ::testing::Test
{
protected:
    // Right click on a window of the panel, as the window passes it on to the panel.
    void ContextMenuOn(HWND hWnd)
    {
        RECT rc;
        ::GetWindowRect(hWnd, &rc);
        ::PostMessageA(m_program.Panel(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hWnd),
                       MAKELPARAM(rc.left + 2, rc.top + 2));
    }

    CAurelonProgram m_program;
};

TEST_F(TrayEdgeTest, MiddleButtonAndOtherMouseMessagesDoNothing)
{
    ASSERT_TRUE(m_program.StartResident());
    const UINT anIgnored[] = { WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_RBUTTONDBLCLK,
                               WM_MOUSEWHEEL, WM_XBUTTONDOWN, 0x1FF, WM_USER };
    for (UINT nMessage : anIgnored)
        m_program.Tray(nMessage);
    m_program.Sync();
    EXPECT_FALSE(m_program.PanelVisible());
    EXPECT_EQ(FindVisibleMenu(), nullptr);
    // The same icon answers the messages it knows.
    m_program.Tray(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return m_program.PanelVisible(); }, 5000));
}

TEST_F(TrayEdgeTest, RightClickOnASliderOrThePanelShowsNoMenu)
{
    ASSERT_TRUE(m_program.StartResident());
    ASSERT_TRUE(m_program.ShowPanel());
    for (int nID : { IDC_CENTER, IDC_SPACE, IDC_ENABLED })
        ContextMenuOn(m_program.Control(nID));
    ContextMenuOn(m_program.Panel());
    m_program.Sync();
    EXPECT_EQ(FindVisibleMenu(), nullptr);
    // A preset button's does.
    ContextMenuOn(m_program.Control(IDC_PRESET2));
    HWND hMenu = WaitForVisibleMenu();
    EXPECT_NE(hMenu, nullptr);
    if (hMenu != nullptr)
        ::PostMessageA(hMenu, WM_KEYDOWN, VK_ESCAPE, 0);
}
}
