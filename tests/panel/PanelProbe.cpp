#include "PanelProbe.h"
#include "Harness.h"
#include "framework/App.h"
#include "mixer/MixerDriver.h"

LRESULT CProbePanel::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= m_nWatchFirst && message <= m_nWatchLast)
        m_defaulted.push_back({ message, wParam });
    LRESULT lResult = CPanelDlg::DefWindowProc(message, wParam, lParam);
    if (message == WM_QUERYNEWPALETTE && m_bForceQueryResult)
        return m_lQueryResult;
    return lResult;
}

PanelProbeTest::PanelProbeTest(UINT nWatchFirst, UINT nWatchLast)
    : m_chip(BinPath("chipsim.dll").c_str()), m_nWatchFirst(nWatchFirst), m_nWatchLast(nWatchLast)
{
    // The mixer layer reads its driver's path once, at its first use.
    ::SetEnvironmentVariableA(MIXER_DRIVER_VARIABLE, BinPath("chipsim.dll").c_str());
}

void PanelProbeTest::SetUp()
{
    ASSERT_TRUE(m_sandbox.IsActive());
    ASSERT_TRUE(m_chip.IsLoaded());
    // The driver records go into the sandbox, where the panel's discovery looks.
    CHIPSIM_LAYOUT layout = { CHIPSIM_LAYOUT_SRS, CHIPSIM_DEFAULT_STEPS, CHIPSIM_DEFAULT_MAXIMUM, 0 };
    ASSERT_TRUE(m_chip.m_pfnSetLayout(&layout));
    ASSERT_TRUE(m_panel.Create(CPanelDlg::IDD, nullptr));
    ASSERT_NE(m_panel.GetDlgItem(IDC_ENABLED), nullptr);
    m_panel.m_nWatchFirst = m_nWatchFirst;
    m_panel.m_nWatchLast = m_nWatchLast;
}

void PanelProbeTest::TearDown()
{
    m_panel.DestroyWindow();
}

bool PanelProbeTest::PumpUntil(const std::function<bool()>& cond, DWORD dwTimeoutMs)
{
    DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (!AfxPreTranslateMessage(&msg))
            {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        if (cond())
            return true;
        if (::GetTickCount() - dwStart >= dwTimeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool PanelProbeTest::ShowPanel()
{
    m_panel.ShowPanel(TRUE);
    return PumpUntil([&] {
        return m_panel.IsWindowVisible() && ::GetForegroundWindow() == m_panel.m_hWnd;
    });
}
