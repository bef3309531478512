// CPresetButton on the real panel template: its looks pixel by pixel (rendered into
// memory through the parent's WM_DRAWITEM, and as painted on the screen), the mouse
// tracking, the click, and the relay to the parent's tooltip.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "app/PrivateMessages.h"
#include "draw/PresetButton.h"
#include "framework/Dialog.h"
#include "resource.h"
#include "Canvas.h"

namespace
{
const COLORREF kBackground = RGB(10, 200, 30);     // no image colour can be this
const int kButtonId = IDC_PRESET2;
const int kWidth = 31;
const int kHeight = 21;

// Records every mouse message relayed to it, with what the button had done by then.
class CRecordingToolTip : public CToolTipCtrl
{
public:
    struct Relay
    {
        MSG msg;
        HWND hCapture;
        int nClicks;
    };

    explicit CRecordingToolTip(const int* pnClicks) : m_pnClicks(pnClicks) {}

    std::vector<Relay> m_relays;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == TTM_RELAYEVENT)
            m_relays.push_back({ *reinterpret_cast<const MSG*>(lParam), ::GetCapture(), *m_pnClicks });
        return CToolTipCtrl::WindowProc(message, wParam, lParam);
    }

private:
    const int* m_pnClicks;
};

// The panel template with preset button 2 bound to a CPresetButton; the button's
// background brush is a colour no image has.
class CPanelHost : public CDialog
{
public:
    CPanelHost()
        : CDialog(IDD_PANEL), m_pToolTip(nullptr), m_nClicks(0),
          m_hBrush(::CreateSolidBrush(kBackground))
    {
    }
    ~CPanelHost() override
    {
        DestroyWindow();
        ::DeleteObject(m_hBrush);
    }

    BOOL OnInitDialog() override
    {
        m_button.SubclassDlgItem(kButtonId, this);
        return FALSE;
    }

    CPresetButton m_button;
    CToolTipCtrl* m_pToolTip;
    int m_nClicks;
    std::unique_ptr<CCanvas> m_pLookAtClick;    // the button on the screen at its click

protected:
    void OnPreset()
    {
        ++m_nClicks;
        m_pLookAtClick.reset(new CCanvas(kWidth, kHeight));
        CaptureClient(m_button.m_hWnd, m_pLookAtClick.get());
    }
    LRESULT OnGetToolTip(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_pToolTip); }
    LRESULT OnCtlColorBtn(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hBrush); }

private:
    HBRUSH m_hBrush;

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPanelHost, CDialog)
    ON_BN_CLICKED(kButtonId, OnPreset)
    ON_MESSAGE(UWM_GETTOOLTIP, OnGetToolTip)
    ON_MESSAGE(WM_CTLCOLORBTN, OnCtlColorBtn)
END_MESSAGE_MAP()

// Handles what is queued except mouse input. These tests drive the button with mouse
// messages of their own; input from the real pointer (left near the panel by an earlier
// program, or met by the window as it appears under it) would reach the button as well,
// at any moment while a press holds the capture, and press or release it by its own position.
void PumpMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Removes (or adds) the focus rectangle 3 pixels inside the button: it is drawn by inversion.
void ToggleFocusRect(CCanvas* pCanvas)
{
    RECT rect = { 3, 3, pCanvas->Width() - 3, pCanvas->Height() - 3 };
    ::DrawFocusRect(pCanvas->GetDC(), &rect);
    ::GdiFlush();
}

// The 2-pixel border equals a 3-D edge of the given kind.
void ExpectEdge(const CCanvas& look, UINT nEdge)
{
    CCanvas reference(kWidth, kHeight);
    reference.Fill(kBackground);
    RECT rect = { 0, 0, kWidth, kHeight };
    ::DrawEdge(reference.GetDC(), &rect, nEdge, BF_RECT);
    ::GdiFlush();
    int nWrong = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if ((x < 2 || y < 2 || x >= kWidth - 2 || y >= kHeight - 2) &&
                look.At(x, y) != reference.At(x, y))
                ++nWrong;
    EXPECT_EQ(nWrong, 0) << (nEdge == EDGE_SUNKEN ? "sunken" : "raised") << " edge";
}

// The inside (within the border) shows the released look's picture moved by nOffset.
void ExpectPicture(const CCanvas& look, const CCanvas& released, int nOffset)
{
    int nWrong = 0;
    for (int y = 2 + nOffset; y < kHeight - 2; ++y)
        for (int x = 2 + nOffset; x < kWidth - 2; ++x)
            if (look.At(x, y) != released.At(x - nOffset, y - nOffset))
                ++nWrong;
    EXPECT_EQ(nWrong, 0) << "picture moved by " << nOffset;
}

class CPresetButtonTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_BAR_CLASSES | ICC_WIN95_CLASSES };
        ::InitCommonControlsEx(&icc);
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_host.Create(IDD_PANEL));
        ::SetWindowPos(m_host.m_hWnd, HWND_TOPMOST, 120, 120, 0, 0,
                       SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetForegroundWindow(m_host.m_hWnd);
        PumpMessages();
        ASSERT_TRUE(m_host.m_button.IsWindow());
        m_hButton = m_host.m_button.m_hWnd;
    }

    void Load(UINT normalId, UINT pressedId, UINT focusedId, UINT disabledId)
    {
        ASSERT_TRUE(m_host.m_button.LoadBitmaps(normalId, pressedId, focusedId, disabledId, TRUE,
                                                TRUE, TRUE));
    }

    // The button's look for one WM_DRAWITEM, drawn over the background colour.
    void Render(UINT nAction, UINT nState, CCanvas* pCanvas, bool bFill = true)
    {
        if (bFill)
            pCanvas->Fill(kBackground);
        DRAWITEMSTRUCT dis = { ODT_BUTTON, static_cast<UINT>(kButtonId), 0, nAction, nState,
                               m_hButton, pCanvas->GetDC(), { 0, 0, kWidth, kHeight }, 0 };
        ::SendMessageA(m_host.m_hWnd, WM_DRAWITEM, static_cast<WPARAM>(kButtonId),
                       reinterpret_cast<LPARAM>(&dis));
        ::GdiFlush();
    }

    // The released, unfocused look of the current images.
    std::unique_ptr<CCanvas> ReleasedLook()
    {
        std::unique_ptr<CCanvas> pLook(new CCanvas(kWidth, kHeight));
        Render(ODA_DRAWENTIRE, 0, pLook.get());
        return pLook;
    }

    // What the screen shows of the button now.
    std::unique_ptr<CCanvas> ScreenLook()
    {
        PumpMessages();
        ::UpdateWindow(m_hButton);
        std::unique_ptr<CCanvas> pLook(new CCanvas(kWidth, kHeight));
        CaptureClient(m_hButton, pLook.get());
        return pLook;
    }

    void Mouse(UINT message, WPARAM wParam, int x, int y)
    {
        ::SendMessageA(m_hButton, message, wParam,
                       MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                                  static_cast<WORD>(static_cast<short>(y))));
    }

    CPanelHost m_host;
    HWND m_hButton = nullptr;
};
}

TEST_F(CPresetButtonTest, LoadBitmapsSizesTheButtonToTheImageInPlace)
{
    RECT before;
    ::GetWindowRect(m_hButton, &before);
    ASSERT_FALSE(before.right - before.left == kWidth && before.bottom - before.top == kHeight);
    ASSERT_TRUE(m_host.m_button.LoadBitmaps(IDB_PRESET2_NORMAL, 0, 0, IDB_PRESET2_DIS, TRUE,
                                            TRUE, FALSE));
    RECT unchanged;
    ::GetWindowRect(m_hButton, &unchanged);
    EXPECT_TRUE(::EqualRect(&before, &unchanged));

    Load(IDB_PRESET2_NORMAL, 0, 0, IDB_PRESET2_DIS);
    RECT after;
    ::GetWindowRect(m_hButton, &after);
    EXPECT_EQ(after.right - after.left, kWidth);
    EXPECT_EQ(after.bottom - after.top, kHeight);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
}

TEST_F(CPresetButtonTest, PressShiftsThePictureAndSinksTheEdgeUntilRelease)
{
    Load(IDB_PRESET2_NORMAL, 0, 0, IDB_PRESET2_DIS);
    std::unique_ptr<CCanvas> pReleased = ReleasedLook();

    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    EXPECT_EQ(::GetCapture(), m_hButton);
    EXPECT_EQ(::GetFocus(), m_hButton);
    std::unique_ptr<CCanvas> pPressed = ScreenLook();
    CCanvas rendered(kWidth, kHeight);
    Render(ODA_DRAWENTIRE, ODS_FOCUS, &rendered);
    EXPECT_TRUE(pPressed->SameAs(rendered));
    ToggleFocusRect(pPressed.get());
    EXPECT_GT(pPressed->CountDiffs(rendered), 0);   // the focus rectangle was there
    ExpectEdge(*pPressed, EDGE_SUNKEN);
    ExpectPicture(*pPressed, *pReleased, 1);

    // Pressed without the focus still shows the focus rectangle.
    Render(ODA_DRAWENTIRE, 0, &rendered);
    EXPECT_TRUE(ScreenLook()->SameAs(rendered));

    Mouse(WM_LBUTTONUP, 0, 5, 5);
    EXPECT_EQ(m_host.m_nClicks, 1);
    EXPECT_EQ(::GetCapture(), nullptr);
    std::unique_ptr<CCanvas> pAfter = ScreenLook();
    ToggleFocusRect(pAfter.get());
    EXPECT_TRUE(pAfter->SameAs(*pReleased));
}

TEST_F(CPresetButtonTest, ReleaseOverTheButtonClicksOnceAfterDrawingItRaised)
{
    Load(IDB_PRESET1_NORMAL, 0, 0, IDB_PRESET1_DIS);
    std::unique_ptr<CCanvas> pReleased = ReleasedLook();

    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 20, 10);
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, 21, 11);
    Mouse(WM_LBUTTONUP, 0, 21, 11);
    ASSERT_EQ(m_host.m_nClicks, 1);
    ASSERT_NE(m_host.m_pLookAtClick, nullptr);
    ToggleFocusRect(m_host.m_pLookAtClick.get());
    EXPECT_TRUE(m_host.m_pLookAtClick->SameAs(*pReleased));

    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 0, 0);
    Mouse(WM_LBUTTONUP, 0, kWidth - 1, kHeight - 1);
    EXPECT_EQ(m_host.m_nClicks, 2);
}

TEST_F(CPresetButtonTest, DraggingOffAndBackFollowsTheCursorAndReleasingOutsideDoesNotClick)
{
    Load(IDB_PRESET3_NORMAL, 0, 0, IDB_PRESET3_DIS);
    std::unique_ptr<CCanvas> pReleased = ReleasedLook();

    // Positions are the button's client coordinates, as the messages carry them.
    const struct { int x; int y; bool bInside; } moves[] = {
        { -10, 5, false }, { 30, 20, true }, { 31, 5, false }, { 5, 21, false },
        { 0, 0, true }, { -1, -1, false } };
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    for (const auto& move : moves)
    {
        SCOPED_TRACE(testing::Message() << "at " << move.x << "," << move.y);
        Mouse(WM_MOUSEMOVE, MK_LBUTTON, move.x, move.y);
        std::unique_ptr<CCanvas> pLook = ScreenLook();
        ToggleFocusRect(pLook.get());
        if (move.bInside)
        {
            ExpectEdge(*pLook, EDGE_SUNKEN);
            ExpectPicture(*pLook, *pReleased, 1);
        }
        else
        {
            EXPECT_TRUE(pLook->SameAs(*pReleased));
        }
    }
    Mouse(WM_LBUTTONUP, 0, -1, -1);
    EXPECT_EQ(m_host.m_nClicks, 0);
    EXPECT_EQ(::GetCapture(), nullptr);

    // Without a press, moving over the button changes nothing.
    Mouse(WM_MOUSEMOVE, 0, 10, 10);
    std::unique_ptr<CCanvas> pLook = ScreenLook();
    ToggleFocusRect(pLook.get());
    EXPECT_TRUE(pLook->SameAs(*pReleased));
}

TEST_F(CPresetButtonTest, LosingTheCaptureEndsThePress)
{
    Load(IDB_PRESET2_NORMAL, 0, 0, IDB_PRESET2_DIS);
    std::unique_ptr<CCanvas> pReleased = ReleasedLook();

    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    ::ReleaseCapture();
    std::unique_ptr<CCanvas> pLook = ScreenLook();
    ToggleFocusRect(pLook.get());
    EXPECT_TRUE(pLook->SameAs(*pReleased));

    Mouse(WM_MOUSEMOVE, MK_LBUTTON, 12, 12);
    pLook = ScreenLook();
    ToggleFocusRect(pLook.get());
    EXPECT_TRUE(pLook->SameAs(*pReleased));
    Mouse(WM_LBUTTONUP, 0, 12, 12);
    EXPECT_EQ(m_host.m_nClicks, 0);
}

TEST_F(CPresetButtonTest, FocusRectangleIsInvertedThreePixelsInside)
{
    Load(IDB_PRESET1_NORMAL, 0, 0, IDB_PRESET1_DIS);
    std::unique_ptr<CCanvas> pReleased = ReleasedLook();

    CCanvas focused(kWidth, kHeight);
    Render(ODA_DRAWENTIRE, ODS_FOCUS, &focused);
    EXPECT_GT(focused.CountDiffs(*pReleased), 0);
    ToggleFocusRect(&focused);
    EXPECT_TRUE(focused.SameAs(*pReleased));

    // Gaining and losing the focus inverts the rectangle over what is there.
    CCanvas toggled(kWidth, kHeight);
    toggled.CopyFrom(*pReleased);
    Render(ODA_FOCUS, ODS_FOCUS, &toggled, false);
    CCanvas expected(kWidth, kHeight);
    expected.CopyFrom(*pReleased);
    ToggleFocusRect(&expected);
    EXPECT_TRUE(toggled.SameAs(expected));
    Render(ODA_FOCUS, 0, &toggled, false);
    EXPECT_TRUE(toggled.SameAs(*pReleased));

    // The selection state alone draws nothing.
    CCanvas untouched(kWidth, kHeight);
    untouched.FillPattern();
    CCanvas pattern(kWidth, kHeight);
    pattern.CopyFrom(untouched);
    Render(ODA_SELECT, ODS_SELECTED, &untouched, false);
    EXPECT_TRUE(untouched.SameAs(pattern));

    // Tabbing onto the button and away from it, on the screen.
    ::SendMessageA(m_host.m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hButton), TRUE);
    ASSERT_EQ(::GetFocus(), m_hButton);
    EXPECT_TRUE(ScreenLook()->SameAs(expected));
    ::SendMessageA(m_host.m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(
                   m_host.GetDlgItem(IDC_PRESET1)), TRUE);
    ASSERT_NE(::GetFocus(), m_hButton);
    EXPECT_TRUE(ScreenLook()->SameAs(*pReleased));
}

TEST_F(CPresetButtonTest, DisabledButtonShowsTheDisabledImageIfItHasOne)
{
    Load(IDB_PRESET3_DIS, 0, 0, 0);
    std::unique_ptr<CCanvas> pGreyLamp = ReleasedLook();
    Load(IDB_PRESET3_NORMAL, 0, 0, 0);
    std::unique_ptr<CCanvas> pNormal = ReleasedLook();
    ASSERT_FALSE(pGreyLamp->SameAs(*pNormal));

    CCanvas look(kWidth, kHeight);
    Render(ODA_DRAWENTIRE, ODS_DISABLED, &look);
    EXPECT_TRUE(look.SameAs(*pNormal));

    Load(IDB_PRESET3_NORMAL, 0, 0, IDB_PRESET3_DIS);
    Render(ODA_DRAWENTIRE, ODS_DISABLED, &look);
    EXPECT_TRUE(look.SameAs(*pGreyLamp));

    ::EnableWindow(m_hButton, FALSE);
    EXPECT_TRUE(ScreenLook()->SameAs(*pGreyLamp));
    ::EnableWindow(m_hButton, TRUE);
    EXPECT_TRUE(ScreenLook()->SameAs(*pNormal));
}

TEST_F(CPresetButtonTest, PressedAndFocusedImagesReplaceShiftAndFocusRectangle)
{
    Load(IDB_PRESET1_SEL, 0, 0, 0);
    std::unique_ptr<CCanvas> pPressedImage = ReleasedLook();
    Load(IDB_PRESET2_SEL, 0, 0, 0);
    std::unique_ptr<CCanvas> pFocusedImage = ReleasedLook();
    Load(IDB_PRESET3_NORMAL, IDB_PRESET1_SEL, IDB_PRESET2_SEL, 0);

    CCanvas look(kWidth, kHeight);
    Render(ODA_DRAWENTIRE, ODS_FOCUS, &look);
    EXPECT_TRUE(look.SameAs(*pFocusedImage));

    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    Render(ODA_DRAWENTIRE, 0, &look);
    ExpectEdge(look, EDGE_SUNKEN);
    ExpectPicture(look, *pPressedImage, 0);
    Render(ODA_DRAWENTIRE, ODS_FOCUS, &look);
    ExpectEdge(look, EDGE_SUNKEN);
    ExpectPicture(look, *pFocusedImage, 0);
    Mouse(WM_LBUTTONUP, 0, 10, 10);
}

TEST_F(CPresetButtonTest, FailedLoadKeepsThePreviousImages)
{
    Load(IDB_PRESET2_NORMAL, 0, 0, IDB_PRESET2_DIS);
    std::unique_ptr<CCanvas> pReleased = ReleasedLook();
    CCanvas disabled(kWidth, kHeight);
    Render(ODA_DRAWENTIRE, ODS_DISABLED, &disabled);

    EXPECT_FALSE(m_host.m_button.LoadBitmaps(IDB_PRESET2_SEL, 0, 0, 9999, TRUE, TRUE, TRUE));
    EXPECT_FALSE(m_host.m_button.LoadBitmaps(9999, 0, 0, 0, TRUE, TRUE, TRUE));
    EXPECT_TRUE(ReleasedLook()->SameAs(*pReleased));
    CCanvas look(kWidth, kHeight);
    Render(ODA_DRAWENTIRE, ODS_DISABLED, &look);
    EXPECT_TRUE(look.SameAs(disabled));
}

TEST_F(CPresetButtonTest, MouseMessagesReachTheParentsToolTipFirst)
{
    CRecordingToolTip toolTip(&m_host.m_nClicks);
    ASSERT_TRUE(toolTip.Create(&m_host));
    m_host.m_pToolTip = &toolTip;
    Load(IDB_PRESET2_NORMAL, 0, 0, IDB_PRESET2_DIS);

    const struct { UINT message; WPARAM wParam; bool bRelayed; } sent[] = {
        { WM_MOUSEMOVE, 0, true },
        { WM_LBUTTONDOWN, MK_LBUTTON, true },
        { WM_LBUTTONUP, 0, true },
        { WM_LBUTTONDBLCLK, MK_LBUTTON, false },
        { WM_LBUTTONUP, 0, true },
        { WM_RBUTTONDOWN, MK_RBUTTON, true },
        { WM_RBUTTONUP, 0, true },
        { WM_RBUTTONDBLCLK, MK_RBUTTON, false },
        { WM_RBUTTONUP, 0, true },
        { WM_MBUTTONDOWN, MK_MBUTTON, true },
        { WM_MBUTTONUP, 0, true },
        { WM_MBUTTONDBLCLK, MK_MBUTTON, false },
        { WM_MBUTTONUP, 0, true },
        { WM_MOUSEWHEEL, 0, false },
    };
    std::vector<UINT> expected;
    for (size_t i = 0; i < sizeof(sent) / sizeof(sent[0]); ++i)
    {
        Mouse(sent[i].message, sent[i].wParam, 3 + static_cast<int>(i), 4);
        if (sent[i].bRelayed)
            expected.push_back(static_cast<UINT>(i));
    }

    ASSERT_EQ(toolTip.m_relays.size(), expected.size());
    for (size_t n = 0; n < expected.size(); ++n)
    {
        const auto& relay = toolTip.m_relays[n];
        const auto& message = sent[expected[n]];
        SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << message.message);
        EXPECT_EQ(relay.msg.hwnd, m_hButton);
        EXPECT_EQ(relay.msg.message, message.message);
        EXPECT_EQ(relay.msg.wParam, message.wParam);
        EXPECT_EQ(relay.msg.lParam, MAKELPARAM(3 + expected[n], 4));
    }
    // Before the button's own handling: no capture yet at the press, no click yet at the release.
    EXPECT_NE(toolTip.m_relays[1].hCapture, m_hButton);
    EXPECT_EQ(toolTip.m_relays[2].hCapture, m_hButton);
    EXPECT_EQ(toolTip.m_relays[2].nClicks, 0);
    EXPECT_GE(m_host.m_nClicks, 1);
    m_host.m_pToolTip = nullptr;
}

TEST_F(CPresetButtonTest, ParentWithoutToolTipStillGetsItsClick)
{
    Load(IDB_PRESET2_NORMAL, 0, 0, IDB_PRESET2_DIS);
    Mouse(WM_MOUSEMOVE, 0, 4, 4);
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 4, 4);
    Mouse(WM_LBUTTONUP, 0, 4, 4);
    EXPECT_EQ(m_host.m_nClicks, 1);
}
