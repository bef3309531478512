// Long runs of ordinary use: showing and hiding the panel, selecting presets. What the
// process holds stays flat. scripts/longrun runs these with ten times the counts.
#include "FaultKit.h"
#include "resource.h"

namespace
{
class LongRunTest : public ::testing::Test
{
protected:
    CAurelonProgram m_program;
};

TEST_F(LongRunTest, ShowAndHideThePanel)
{
    ASSERT_TRUE(m_program.StartResident());
    const DWORD dwPid = m_program.Process().GetId();
    for (int i = 0; i < 10; ++i)
    {
        ShowPanel(m_program, TRUE);
        ShowPanel(m_program, FALSE);
    }
    const ProcessCounters before = TakeProcessCounters(dwPid);
    const int nCycles = Repetitions(1000);
    ProcessCounters middle;
    for (int i = 0; i < nCycles; ++i)
    {
        if (i == nCycles / 2)
            middle = HalfWay(m_program, dwPid);
        ShowPanel(m_program, TRUE);
        ASSERT_TRUE(::IsWindowVisible(m_program.Panel())) << i;
        ShowPanel(m_program, FALSE);
        ASSERT_FALSE(::IsWindowVisible(m_program.Panel())) << i;
    }
    std::printf("[ cycles   ] %d show/hide\n", nCycles);
    ExpectFlat("show/hide", before, middle, TakeProcessCounters(dwPid));
    EXPECT_TRUE(m_program.Exit());
}

TEST_F(LongRunTest, SelectPresets)
{
    // Presets with different levels, so every selection writes.
    for (int i = 1; i <= 3; ++i)
    {
        std::string strKey = "Software\\Aurelon\\Morvane\\Preset" + std::to_string(i);
        HKEY hKey = nullptr;
        ASSERT_EQ(::RegCreateKeyA(HKEY_CURRENT_USER, strKey.c_str(), &hKey), ERROR_SUCCESS);
        DWORD dwCenter = i * 4, dwSpace = 15 - i * 4;
        ::RegSetValueExA(hKey, "Center", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dwCenter), 4);
        ::RegSetValueExA(hKey, "Space", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dwSpace), 4);
        ::RegCloseKey(hKey);
    }
    ASSERT_TRUE(m_program.StartResident());
    ShowPanel(m_program, TRUE);
    const DWORD dwPid = m_program.Process().GetId();
    const int aButtons[] = { IDC_PRESET1, IDC_PRESET2, IDC_PRESET3 };
    for (int i = 0; i < 9; ++i)
        m_program.Click(aButtons[i % 3]);
    m_program.Sync();
    const ProcessCounters before = TakeProcessCounters(dwPid);
    const int nSelections = Repetitions(1000);
    ProcessCounters middle;
    for (int i = 0; i < nSelections; ++i)
    {
        if (i == nSelections / 2)
            middle = HalfWay(m_program, dwPid);
        m_program.Click(aButtons[i % 3]);
    }
    m_program.Sync();
    const int nLast = (nSelections - 1) % 3 + 1;
    EXPECT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_CENTER) == nLast * 4; }, 10000));
    EXPECT_EQ(m_program.SliderPos(IDC_SPACE), 15 - nLast * 4);
    std::printf("[ cycles   ] %d preset selections\n", nSelections);
    ExpectFlat("presets", before, middle, TakeProcessCounters(dwPid));
    EXPECT_TRUE(m_program.Exit());
}
}
