// The real panel, created in this process on the simulated chip and inside a registry
// sandbox, with its default processing watched: what a handler passes on to the
// dialog's default can be seen only from inside.
#ifndef AURELON_TESTS_PANEL_PANELPROBE_H
#define AURELON_TESTS_PANEL_PANELPROBE_H

#include <functional>
#include <vector>
#include "RegistrySandbox.h"
#include "chipsim/ChipSimClient.h"
#include "panel/PanelDlg.h"

// One message that reached the panel's default processing.
struct CDefaulted
{
    UINT nMessage;
    WPARAM wParam;
};

class CProbePanel : public CPanelDlg
{
public:
    CProbePanel() : CPanelDlg(nullptr) {}

    // The default processing's answer to WM_QUERYNEWPALETTE, replaced when set.
    BOOL m_bForceQueryResult = FALSE;
    LRESULT m_lQueryResult = 0;
    // Messages in [m_nWatchFirst, m_nWatchLast] that reached the default processing.
    UINT m_nWatchFirst = 0;
    UINT m_nWatchLast = 0;
    std::vector<CDefaulted> m_defaulted;

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A fixture with the chip at its default layout and the probe panel created, hidden,
// watching the default processing of the messages in [nWatchFirst, nWatchLast] from then on.
class PanelProbeTest : public ::testing::Test
{
protected:
    explicit PanelProbeTest(UINT nWatchFirst = 0, UINT nWatchLast = 0);
    void SetUp() override;
    void TearDown() override;

    // Pumps this thread's messages the way the program's message loop does (the dialog
    // manager sees them first) until cond holds or the time is up.
    static bool PumpUntil(const std::function<bool()>& cond, DWORD dwTimeoutMs = 5000);
    // Shows the panel as a tray click would, and waits until it is the foreground window.
    bool ShowPanel();

    CRegistrySandbox m_sandbox;
    CChipSimLibrary m_chip;
    CProbePanel m_panel;

private:
    UINT m_nWatchFirst;
    UINT m_nWatchLast;
};

#endif
