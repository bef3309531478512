// Where the panel opens: the rules of a single screen, applied to the monitor that holds
// the anchor point. Wine's virtual desktop has one monitor, so the placement is a plain
// function here, with monitors laid out around a 1024 x 768 primary one.
#include <gtest/gtest.h>
#include "panel/PanelDlg.h"

namespace
{
struct PlacementCase
{
    const char* pszWhat;
    RECT rcMonitor;
    POINT ptAnchor;
    POINT ptExpected;
};

const int kWidth = 150;
const int kHeight = 210;

TEST(PlacementTest, ThePanelOpensBesideTheAnchorOnItsOwnMonitor)
{
    const PlacementCase cases[] = {
        // One monitor: what a single screen has always done.
        { "room right and below", { 0, 0, 1024, 768 }, { 300, 200 }, { 300, 200 } },
        { "too near the right edge", { 0, 0, 1024, 768 }, { 1000, 200 }, { 850, 200 } },
        { "exactly fits on the right", { 0, 0, 1024, 768 }, { 874, 200 }, { 874, 200 } },
        { "too near the bottom", { 0, 0, 1024, 768 }, { 300, 700 }, { 300, 558 } },
        { "tray corner", { 0, 0, 1024, 768 }, { 1010, 760 }, { 860, 558 } },
        // A monitor right of the primary one, its tray in the bottom right corner.
        { "right monitor, tray", { 1024, 0, 2304, 1024 }, { 2290, 1010 }, { 2140, 814 } },
        { "right monitor, left side", { 1024, 0, 2304, 1024 }, { 1030, 500 }, { 1030, 500 } },
        // Left of the primary one: negative coordinates.
        { "left monitor, tray", { -1280, 0, 0, 1024 }, { -10, 1010 }, { -160, 814 } },
        { "left monitor, room", { -1280, 0, 0, 1024 }, { -1200, 100 }, { -1200, 100 } },
        // Below the primary one: flush with that monitor's bottom, not the primary's.
        { "lower monitor, tray", { 0, 768, 1024, 1536 }, { 1010, 1530 }, { 860, 1326 } },
        { "lower monitor, room", { 0, 768, 1024, 1536 }, { 100, 800 }, { 100, 800 } },
        // Above the primary one.
        { "upper monitor, tray", { 0, -768, 1024, 0 }, { 1010, -5 }, { 860, -210 } },
        { "upper monitor, top", { 0, -768, 1024, 0 }, { 100, -760 }, { 100, -760 } },
    };
    for (const PlacementCase& c : cases)
    {
        POINT pt = PlacePanel(c.ptAnchor, kWidth, kHeight, c.rcMonitor);
        EXPECT_EQ(pt.x, c.ptExpected.x) << c.pszWhat;
        EXPECT_EQ(pt.y, c.ptExpected.y) << c.pszWhat;
    }
}

TEST(PlacementTest, TheMonitorOfAPointIsTheScreenHere)
{
    // The virtual desktop's one monitor is the primary screen, wherever the point is.
    const RECT rcScreen = { 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                            ::GetSystemMetrics(SM_CYSCREEN) };
    for (POINT pt : { POINT{ 10, 10 }, POINT{ rcScreen.right - 1, rcScreen.bottom - 1 } })
    {
        RECT rc = MonitorRectAt(pt);
        EXPECT_TRUE(::EqualRect(&rcScreen, &rc)) << pt.x << "," << pt.y;
    }
}
}
