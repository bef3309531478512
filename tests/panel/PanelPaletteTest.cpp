// The palette messages: the panel is repainted whole when the default processing of a
// palette query answers that the palette changed, also for a change made by another window.
#include <gtest/gtest.h>
#include "PanelProbe.h"

namespace
{
class PanelPaletteTest : public PanelProbeTest
{
protected:
    // Whether the panel waits to be repainted, all of it.
    bool WholePanelInvalid()
    {
        RECT rcUpdate, rcClient;
        m_panel.GetClientRect(&rcClient);
        return ::GetUpdateRect(m_panel.m_hWnd, &rcUpdate, FALSE) && ::EqualRect(&rcUpdate, &rcClient);
    }
};

TEST_F(PanelPaletteTest, NonzeroDefaultAnswerRepaintsThePanel)
{
    ASSERT_TRUE(ShowPanel());
    m_panel.UpdateWindow();
    m_panel.m_bForceQueryResult = TRUE;

    m_panel.m_lQueryResult = FALSE;
    m_panel.SendMessage(WM_QUERYNEWPALETTE);
    EXPECT_FALSE(::GetUpdateRect(m_panel.m_hWnd, nullptr, FALSE));

    m_panel.m_lQueryResult = TRUE;
    m_panel.SendMessage(WM_QUERYNEWPALETTE);
    EXPECT_TRUE(WholePanelInvalid());
    m_panel.UpdateWindow();
    m_panel.SendMessage(WM_PALETTECHANGED, reinterpret_cast<WPARAM>(::GetDesktopWindow()));
    EXPECT_TRUE(WholePanelInvalid());
}
}
