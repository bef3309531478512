// The palette messages: a palette query gets its own default processing once, and a
// change made by another window gets its default processing, then the query's steps.
#include <gtest/gtest.h>
#include "PanelProbe.h"

namespace
{
class PanelPaletteTest : public PanelProbeTest
{
protected:
    PanelPaletteTest() : PanelProbeTest(WM_QUERYNEWPALETTE, WM_PALETTECHANGED) {}

    std::vector<UINT> Defaulted() const
    {
        std::vector<UINT> messages;
        for (const CDefaulted& defaulted : m_panel.m_defaulted)
            messages.push_back(defaulted.nMessage);
        return messages;
    }

    // Whether the panel waits to be repainted, all of it.
    bool WholePanelInvalid()
    {
        RECT rcUpdate, rcClient;
        m_panel.GetClientRect(&rcClient);
        return ::GetUpdateRect(m_panel.m_hWnd, &rcUpdate, FALSE) && ::EqualRect(&rcUpdate, &rcClient);
    }
};

TEST_F(PanelPaletteTest, EachMessageGetsTheDefaultProcessingOfItsSteps)
{
    const std::vector<UINT> query = { WM_QUERYNEWPALETTE };
    const std::vector<UINT> othersChange = { WM_PALETTECHANGED, WM_QUERYNEWPALETTE };
    const std::vector<UINT> ownChange = { WM_PALETTECHANGED };

    EXPECT_EQ(m_panel.SendMessage(WM_QUERYNEWPALETTE), 0);   // what the dialog's default says
    EXPECT_EQ(Defaulted(), query);
    m_panel.m_defaulted.clear();
    m_panel.SendMessage(WM_PALETTECHANGED, reinterpret_cast<WPARAM>(::GetDesktopWindow()));
    EXPECT_EQ(Defaulted(), othersChange);
    m_panel.m_defaulted.clear();
    m_panel.SendMessage(WM_PALETTECHANGED, reinterpret_cast<WPARAM>(m_panel.m_hWnd));
    EXPECT_EQ(Defaulted(), ownChange);
}

TEST_F(PanelPaletteTest, NonzeroDefaultAnswerRepaintsThePanelAndIsTheResult)
{
    ASSERT_TRUE(ShowPanel());
    m_panel.UpdateWindow();
    m_panel.m_bForceQueryResult = TRUE;

    m_panel.m_lQueryResult = FALSE;
    EXPECT_EQ(m_panel.SendMessage(WM_QUERYNEWPALETTE), 0);
    EXPECT_FALSE(::GetUpdateRect(m_panel.m_hWnd, nullptr, FALSE));

    m_panel.m_lQueryResult = TRUE;
    EXPECT_EQ(m_panel.SendMessage(WM_QUERYNEWPALETTE), TRUE);
    EXPECT_TRUE(WholePanelInvalid());
    m_panel.UpdateWindow();
    m_panel.SendMessage(WM_PALETTECHANGED, reinterpret_cast<WPARAM>(::GetDesktopWindow()));
    EXPECT_TRUE(WholePanelInvalid());
}
}
