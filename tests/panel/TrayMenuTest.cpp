// The tray menu as the panel's tray handler tracks it over a shown panel: the panel goes
// before the menu opens, and "&Settings..." is its default item, the one drawn bold.
#include <gtest/gtest.h>
#include "PanelProbe.h"
#include "panel/PanelTrayNotify.h"

namespace
{
TEST_F(PanelProbeTest, TrayMenuHasSettingsAsItsDefaultItem)
{
    UINT nDefault = 0, nState = 0;
    char szText[64] = "";
    int nPopups = 0;
    bool bPanelVisibleWithMenu = true;
    m_panel.m_onMessage = [&](UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_INITMENUPOPUP)
        {
            HMENU hPopup = reinterpret_cast<HMENU>(wParam);
            ++nPopups;
            bPanelVisibleWithMenu = m_panel.IsWindowVisible() != FALSE;
            nDefault = ::GetMenuDefaultItem(hPopup, FALSE, 0);
            nState = ::GetMenuState(hPopup, 0, MF_BYPOSITION);
            ::GetMenuStringA(hPopup, 0, szText, sizeof(szText), MF_BYPOSITION);
        }
        else if (message == WM_ENTERIDLE)
        {
            ::EndMenu();    // the menu is up: the look is taken, close it
        }
    };
    ASSERT_TRUE(ShowPanel());
    CPanelTrayNotify notify(&m_panel);
    notify.OnRButtonDown();     // returns when the menu has closed
    EXPECT_EQ(nPopups, 1);
    EXPECT_EQ(nDefault, static_cast<UINT>(ID_SETTINGS));
    EXPECT_TRUE(nState & MF_DEFAULT);
    EXPECT_STREQ(szText, "&Settings...");
    EXPECT_FALSE(bPanelVisibleWithMenu) << "the panel stayed up under the menu";
}
}
