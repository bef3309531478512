// The panel as it appears on screen: the logo painted with its background left out,
// and the preset lamps lit by the selection. The screen is polled until it shows the
// expected picture, since the program paints after it has handled a change.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "ScreenShot.h"
#include "resource.h"

namespace
{
const COLORREF kLogoBackground = RGB(192, 192, 192);

class PanelPictureTest : public ::testing::Test
{
protected:
    HWND Button(int nID) { return m_program.Control(nID); }

    CAurelonProgram m_program;
};

TEST_F(PanelPictureTest, LogoIsPaintedWithoutItsBackgroundAndLampsFollowSelection)
{
    ASSERT_TRUE(m_program.StartResident());
    ASSERT_TRUE(MoveCursorTo(200, 200));
    m_program.Command(ID_SETTINGS);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_program.Panel()) != FALSE; }));

    // The logo sits at client pixel (24, 3), 116 x 60.
    POINT ptLogo = { 24, 3 };
    ::ClientToScreen(m_program.Panel(), &ptLogo);
    RECT rcLogo = { ptLogo.x, ptLogo.y, ptLogo.x + 116, ptLogo.y + 60 };
    COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
    int nFace = 0, nBackground = 0;
    EXPECT_TRUE(WaitUntil([&] {
        CScreenShot shot(rcLogo);
        nFace = shot.Count(rcLogo, crFace);
        nBackground = crFace != kLogoBackground ? shot.Count(rcLogo, kLogoBackground) : 0;
        // The panel shows through around a drawn emblem, and none of the logo's grey.
        return nFace > 116 * 60 / 4 && nFace < 116 * 60 && nBackground == 0;
    }, 5000)) << nFace << " face pixels, " << nBackground << " of the logo's background";

    for (int nID : { IDC_PRESET1, IDC_PRESET2, IDC_PRESET3 })
    {
        RECT rc;
        ::GetWindowRect(Button(nID), &rc);
        EXPECT_EQ(rc.right - rc.left, 31);
        EXPECT_EQ(rc.bottom - rc.top, 21);
        EXPECT_TRUE(WaitUntil([&] { return ShowsUnlitLamp(Button(nID)); }, 5000)) << nID;
    }

    m_program.Click(IDC_PRESET2);
    EXPECT_TRUE(WaitUntil([&] {
        return ShowsLitLamp(Button(IDC_PRESET2)) && ShowsUnlitLamp(Button(IDC_PRESET1)) &&
               ShowsUnlitLamp(Button(IDC_PRESET3));
    }, 5000));

    // A change from elsewhere puts the lamp out again.
    ASSERT_TRUE(m_program.SetChipValue(39, 0));
    EXPECT_TRUE(WaitUntil([&] { return ShowsUnlitLamp(Button(IDC_PRESET2)); }, 5000));
}
}
