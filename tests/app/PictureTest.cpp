// What the user sees, for each chip and each state a user can reach: the preset lamps,
// the logo, the labels, the tray picture and tip, and where the panel and the menus open.
// The panel in each state is compared with its reference picture (tests/reference), the tray
// icon with the program's icon resource; a failure names the chip and the state, and saves
// what the screen showed beside what it must.
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include "AurelonProgram.h"
#include "LogPixels.h"
#include "Canvas.h"
#include "chipsim/ChipSim.h"
#include "mixer/Mixer3D.h"
#include "resource.h"

namespace
{
// A chip as the user meets it.
struct CChipLook
{
    DWORD nLayout;
    const char* pszName;
    UINT nIconOn;
    UINT nIconOff;
    const char* pszProduct;     // tray tip and panel title
    const char* pszCenterLabel;
    const char* pszSpaceLabel;
};

const CChipLook kChips[] = {
    { CHIPSIM_LAYOUT_SRS, "SRS", IDI_SRS_ON, IDI_SRS_OFF, "Aurelon SRS 3D Audio", "&Center", "&Space" },
    { CHIPSIM_LAYOUT_QSOUND, "QSound", IDI_QSOUND_ON, IDI_QSOUND_OFF, "Aurelon QSound 3D Audio",
      "&Volume", "&Space" },
};

// One run of the suite: a chip on a screen of 100 % or of 150 %.
struct CPanelLook
{
    const CChipLook* pChip;
    int nDpi;
};

const CPanelLook kLooks[] = { { &kChips[0], 96 }, { &kChips[1], 96 }, { &kChips[0], 144 }, { &kChips[1], 144 } };

// The states in the order a user reaches them, each with what the user (or another
// program, or the hardware) does and what the state must show.
struct CState
{
    const char* pszName;
    void (*pfnReach)(const CAurelonProgram& program);
    int nSelected;      // preset whose lamp is lit, 0 none
    bool bMuted;
    bool bPlugged;
};

void ClickEnabled(const CAurelonProgram& program) { SendTo(program.Control(IDC_ENABLED), BM_CLICK); }

const CState kStates[] = {
    { "start", [](const CAurelonProgram&) {}, 0, false, true },
    { "effect off", ClickEnabled, 0, true, true },
    { "preset 1 while off", [](const CAurelonProgram& program) { program.Click(IDC_PRESET1); }, 1, true, true },
    { "effect on", ClickEnabled, 1, false, true },
    { "preset 2", [](const CAurelonProgram& program) { program.Click(IDC_PRESET2); }, 2, false, true },
    { "preset 3", [](const CAurelonProgram& program) { program.Click(IDC_PRESET3); }, 3, false, true },
    { "unplugged", [](const CAurelonProgram& program) { program.m_chip.m_pfnUnplug(CHIPSIM_ALL_CHIPS); }, 3, false,
      false },
    { "plugged back", [](const CAurelonProgram& program) { program.m_chip.m_pfnPlug(CHIPSIM_ALL_CHIPS); }, 3, false,
      true },
    { "level moved elsewhere", [](const CAurelonProgram& program) {
          program.SetChipValue(MIXER3D_CENTER_ID, 5 * MixerStepSize(CHIPSIM_DEFAULT_MAXIMUM, CHIPSIM_DEFAULT_STEPS));
      }, 0, false, true },
};

const int kTrayIconSize = 16;

// Pointer positions against the edges of the virtual desktop (1024 x 768), and where the
// panel (kPanelWidth x kPanelHeight at 96 DPI, measured) opens there: to the left of the
// pointer where it does not fit on its right, flush with the screen's bottom where not below.
const int kPanelWidth = 174, kPanelHeight = 206;
const struct { POINT ptPointer; POINT ptPanel; } kPlacements[] = {
    { { 300, 200 }, { 300, 200 } },
    { { 1010, 200 }, { 1010 - kPanelWidth, 200 } },
    { { 300, 760 }, { 300, 768 - kPanelHeight } },
    { { 1010, 760 }, { 1010 - kPanelWidth, 768 - kPanelHeight } },
};

// A popup menu of the program's resources as the system shows it when this process tracks
// it at a point with its top left there (the system moves a menu that does not fit):
// where it opens and how it looks, to compare with the program's menu.
struct CMenuLook
{
    RECT rc;
    std::unique_ptr<CCanvas> pPicture;
    int nTicks;
    bool bDone;
};

CMenuLook* g_pMenuLook = nullptr;

// Takes the menu's picture once it has been on screen a while and stays the same.
void CALLBACK TakeMenuLook(HWND, UINT, UINT_PTR, DWORD)
{
    HWND hMenu = FindVisibleMenu();
    if (hMenu == nullptr || g_pMenuLook->bDone)
        return;
    // Above the program's topmost panel, which may just have come up where it opens.
    ::SetWindowPos(hMenu, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::GetWindowRect(hMenu, &g_pMenuLook->rc);
    std::unique_ptr<CCanvas> pShot(CCanvas::FromScreen(g_pMenuLook->rc));
    g_pMenuLook->bDone = ++g_pMenuLook->nTicks >= 3 && g_pMenuLook->pPicture &&
                         pShot->SameAs(*g_pMenuLook->pPicture);
    g_pMenuLook->pPicture = std::move(pShot);
    if (g_pMenuLook->bDone)
        ::EndMenu();
}

// nDefault: the command drawn bold, 0 none.
void TakeMenuLook(UINT nMenuID, UINT nDefault, POINT p, CMenuLook* pLook)
{
    HMENU hMenu = ::LoadMenuA(ProgramResources(), MAKEINTRESOURCEA(nMenuID));
    HWND hOwner = ::CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (nDefault != 0)
        ::SetMenuDefaultItem(::GetSubMenu(hMenu, 0), nDefault, FALSE);
    g_pMenuLook = pLook;
    UINT_PTR nTimer = ::SetTimer(nullptr, 0, 100, TakeMenuLook);
    ::TrackPopupMenu(::GetSubMenu(hMenu, 0), TPM_RIGHTBUTTON | TPM_RETURNCMD, p.x, p.y, 0, hOwner, nullptr);
    ::KillTimer(nullptr, nTimer);
    g_pMenuLook = nullptr;
    ::DestroyWindow(hOwner);
    ::DestroyMenu(hMenu);
    WaitUntil([] { return FindVisibleMenu() == nullptr; }, 5000);
}

class PictureTest : public ::testing::TestWithParam<CPanelLook>
{
protected:
    const CChipLook& Chip() const { return *GetParam().pChip; }
    int Dpi() const { return GetParam().nDpi; }
    std::string Name() const { return std::string(Chip().pszName) + " at " + std::to_string(Dpi()) + " DPI"; }

    // Starts the program at the run's DPI (the test itself, and the shell, keep theirs).
    bool StartResident()
    {
        CLogPixels dpi(static_cast<DWORD>(Dpi()));
        return m_program.StartResident();
    }

    void Reach(const CState& state)
    {
        state.pfnReach(m_program);
        m_program.Sync();
        ASSERT_TRUE(WaitUntil([&] {
            return m_program.IsEnabled(IDC_PRESET1) == state.bPlugged &&
                   (!state.bPlugged || m_program.IsChecked(IDC_ENABLED) != state.bMuted);
        }, 5000)) << state.pszName;
        // A repaint that the program has still to do is done now.
        ::RedrawWindow(m_program.Panel(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }

    // The whole panel in the nth state, the same as its reference picture
    // (panel-CHIP-DPI-N.png): lamps, logo, strip, labels, sliders and box.
    void ExpectPanelReference(size_t nState, const std::string& name)
    {
        const std::string file = "panel-" + std::string(Chip().pszName) + "-" + std::to_string(Dpi()) + "-" +
                                 std::to_string(nState);
        std::unique_ptr<CCanvas> pReference(CCanvas::FromReference(file));
        RECT rc;
        ::GetClientRect(m_program.Panel(), &rc);
        ::MapWindowPoints(m_program.Panel(), nullptr, reinterpret_cast<POINT*>(&rc), 2);
        ASSERT_NE(pReference, nullptr) << file;
        EXPECT_TRUE(ScreenShows(rc, *pReference, name));
    }

    // The chip's picture for the mute state, on the right of the task bar where the shell
    // shows its icons, drawn on the bar's own colour.
    void ExpectTrayIcon(const CState& state, const std::string& name)
    {
        const CChipLook& look = Chip();
        RECT rcTray = {};
        ::GetWindowRect(FindTopWindow("Shell_TrayWnd", nullptr), &rcTray);
        rcTray.left = rcTray.right - 160;
        std::unique_ptr<CCanvas> pBar(CCanvas::FromScreen(rcTray));
        CCanvas on(kTrayIconSize, kTrayIconSize), off(kTrayIconSize, kTrayIconSize);
        for (CCanvas* pIcon : { &on, &off })
        {
            pIcon->Fill(pBar->At(0, 0));
            pIcon->DrawIcon(ProgramResources(), pIcon == &on ? look.nIconOn : look.nIconOff, 0, 0, kTrayIconSize);
        }
        ASSERT_FALSE(on.SameAs(off)) << "the two pictures look alike";
        const CCanvas& expected = state.bMuted ? off : on;
        POINT ptAt = {};
        if (WaitUntil([&] {
                pBar.reset(CCanvas::FromScreen(rcTray));
                return expected.FindIn(*pBar, &ptAt);
            }, 5000))
            return;
        ADD_FAILURE() << name << " tray icon: not shown (" << SaveFailedPicture(*pBar, name + " tray shown") << ")";
        SaveFailedPicture(expected, name + " tray icon expected");
    }

    // The program's menu that open() makes it show with the pointer at p opens where and
    // as the system shows menu nMenuID tracked at p (the picture there tells both).
    void ExpectMenuAt(UINT nMenuID, UINT nDefault, POINT p, const std::function<void()>& open,
                      const std::string& name)
    {
        CMenuLook look = {};
        TakeMenuLook(nMenuID, nDefault, p, &look);
        ASSERT_TRUE(look.bDone) << name << ": the system showed no menu";
        ASSERT_TRUE(MoveCursorTo(p.x, p.y));
        open();
        HWND hMenu = WaitForVisibleMenu();
        ASSERT_NE(hMenu, nullptr) << name;
        EXPECT_TRUE(ScreenShows(look.rc, *look.pPicture, name));
        ::PostMessageA(hMenu, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(WaitUntil([] { return FindVisibleMenu() == nullptr; }, 5000));
    }

    CAurelonProgram m_program;
    std::vector<HWND> m_tipsBefore;
};

// The pictures at 100 % and at 150 %.
class PictureAtDpiTest : public PictureTest
{
};

TEST_P(PictureAtDpiTest, EachStateShowsItsPictures)
{
    const CChipLook& look = Chip();
    ASSERT_TRUE(m_program.SetLayout(look.nLayout));
    m_tipsBefore = ShellTipWindows();
    ASSERT_TRUE(StartResident());
    ASSERT_TRUE(MoveCursorTo(200, 200));
    ASSERT_TRUE(m_program.ShowPanel());
    for (size_t nState = 0; nState < sizeof(kStates) / sizeof(kStates[0]); ++nState)
    {
        const CState& state = kStates[nState];
        const std::string name = Name() + " " + state.pszName;
        ASSERT_NO_FATAL_FAILURE(Reach(state));
        ExpectPanelReference(nState, name);
        if (Dpi() == ScreenDpi())
            ExpectTrayIcon(state, name);
        EXPECT_EQ(m_program.ControlText(IDC_CENTER_LABEL), look.pszCenterLabel) << name;
        EXPECT_EQ(m_program.ControlText(IDC_SPACE_LABEL), look.pszSpaceLabel) << name;
        EXPECT_EQ(WindowText(m_program.Panel()), look.pszProduct) << name;
        // The shell holds one tip for the icons added since the program started.
        EXPECT_EQ(ShellTipsBesides(m_tipsBefore), std::string(" \"") + look.pszProduct + "\"") << name;
    }
    ASSERT_TRUE(m_program.Exit());
    // The shell here keeps the DPI it started with and shows a picture made for another DPI
    // cut to its bar; the picture's size at each DPI is the tray icon class's test.
    if (Dpi() != ScreenDpi())
        GTEST_SKIP() << "the tray picture is compared only at the shell's own DPI (" << ScreenDpi() << ")";
}

TEST_P(PictureTest, PanelAndMenusOpenAgainstThePointerAndTheScreenEdges)
{
    ASSERT_TRUE(m_program.SetLayout(Chip().nLayout));
    ASSERT_TRUE(StartResident());
    for (const auto& placement : kPlacements)
    {
        const POINT p = placement.ptPointer;
        const std::string where = Name() + " pointer at " + std::to_string(p.x) +
                                  "," + std::to_string(p.y);
        // A left click on the icon, once the program sees the pointer there.
        ASSERT_TRUE(MoveCursorTo(p.x, p.y));
        m_program.Tray(WM_LBUTTONDOWN);
        m_program.Tray(WM_LBUTTONUP);
        m_program.Sync();
        RECT rc = {};
        ::GetWindowRect(m_program.Panel(), &rc);
        EXPECT_TRUE(m_program.PanelVisible()) << where;
        EXPECT_EQ(rc.left, placement.ptPanel.x) << where;
        EXPECT_EQ(rc.top, placement.ptPanel.y) << where;

        ExpectMenuAt(IDR_TRAYMENU, ID_SETTINGS, p, [&] { m_program.Tray(WM_RBUTTONDOWN); }, where + " tray menu");
        EXPECT_FALSE(m_program.PanelVisible()) << where;
    }

    // A right click on preset button 2 opens its menu at the click.
    ASSERT_TRUE(m_program.ShowPanel());
    RECT rcButton;
    ::GetWindowRect(m_program.Control(IDC_PRESET2), &rcButton);
    const POINT p = { rcButton.left + 2, rcButton.top + 2 };
    ExpectMenuAt(IDR_PRESETMENU, 0, p, [&] {
        ::PostMessageA(m_program.Panel(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_program.Control(IDC_PRESET2)),
                       MAKELPARAM(p.x, p.y));
    }, Name() + " preset menu");
    ASSERT_TRUE(m_program.Exit());
}

// A driver that comes back as the other technology, announced as Windows 2000 and XP do:
// panel, title, labels and tray show the one now bound, as a start with it shows them.
TEST_P(PictureTest, ReturnAsTheOtherChipShowsItsPictures)
{
    const CChipLook& look = Chip();
    const DWORD nOther = look.nLayout == CHIPSIM_LAYOUT_SRS ? CHIPSIM_LAYOUT_QSOUND : CHIPSIM_LAYOUT_SRS;
    ASSERT_TRUE(m_program.SetLayout(nOther, 16, 65535, CHIPSIM_NT_DRIVER));
    m_tipsBefore = ShellTipWindows();
    ASSERT_TRUE(StartResident());
    ASSERT_TRUE(m_program.m_chip.m_pfnUnplug(CHIPSIM_ALL_CHIPS));
    ASSERT_TRUE(WaitUntil([&] { return !m_program.IsEnabled(IDC_PRESET1); }, 5000));
    ASSERT_TRUE(m_program.SetLayout(look.nLayout, 16, 65535, CHIPSIM_NT_DRIVER));
    m_program.m_chip.m_pfnBroadcastDevNodesChanged();
    ASSERT_TRUE(MoveCursorTo(200, 200));
    ASSERT_TRUE(m_program.ShowPanel());
    const std::string name = Name() + " returned";
    ASSERT_NO_FATAL_FAILURE(Reach(kStates[0]));
    ExpectPanelReference(0, name);
    ExpectTrayIcon(kStates[0], name);
    EXPECT_EQ(m_program.ControlText(IDC_CENTER_LABEL), look.pszCenterLabel);
    EXPECT_EQ(m_program.ControlText(IDC_SPACE_LABEL), look.pszSpaceLabel);
    EXPECT_EQ(WindowText(m_program.Panel()), look.pszProduct);
    EXPECT_EQ(ShellTipsBesides(m_tipsBefore), std::string(" \"") + look.pszProduct + "\"");
    ASSERT_TRUE(m_program.Exit());
}

std::string LookName(const ::testing::TestParamInfo<CPanelLook>& info)
{
    return std::string(info.param.pChip->pszName) + "_" + std::to_string(info.param.nDpi);
}

// Where menus open is the system's own rule (and its menus' look), checked at 100 %.
INSTANTIATE_TEST_SUITE_P(BothChips, PictureTest, ::testing::Values(kLooks[0], kLooks[1]), LookName);
INSTANTIATE_TEST_SUITE_P(BothChips, PictureAtDpiTest, ::testing::ValuesIn(kLooks), LookName);
}
