// Many starts at the same moment leave exactly one resident instance; every other start
// shows the notice through it and ends when the notice is dismissed.
#include "FaultKit.h"
#include "resource.h"
#include <memory>
#include <vector>

namespace
{
const char kProduct[] = "Aurelon 3D Audio Control";

TEST(InstanceRaceTest, TwentySimultaneousStartsLeaveOneResident)
{
    CAurelonProgram program;   // cleans up, points the starts at the simulated chip
    std::vector<std::unique_ptr<CProcess>> starts;
    for (int i = 0; i < 20; ++i)
    {
        starts.emplace_back(new CProcess);
        ASSERT_TRUE(starts.back()->Start("\"" + BinPath("Aurelon3D.exe") + "\""));
    }
    auto running = [&] {
        size_t n = 0;
        for (auto& p : starts)
            n += p->IsRunning() ? 1 : 0;
        return n;
    };
    // Dismiss notices until only the resident one is left.
    WaitUntil([&] {
        for (HWND hNotice : FindTopWindows("#32770", kProduct))
            if (::IsWindowVisible(hNotice))
                PressDialogButton(hNotice, IDOK);
        return running() == 1 && FindTopWindows("#32770", kProduct).empty();
    }, 60000);
    EXPECT_EQ(running(), 1u);
    EXPECT_EQ(FindTopWindows("Aurelon3DAudioControl", nullptr).size(), 1u);
    EXPECT_EQ(FindTopWindows("TaskBarButtonWindowClass", nullptr).size(), 1u);
    for (auto& p : starts)
    {
        if (p->IsRunning())
        {
            HWND hPanel = nullptr;
            for (HWND hWnd : FindTopWindows("#32770", nullptr, p->GetId()))
                if (::GetDlgItem(hWnd, IDC_ENABLED) != nullptr)
                    hPanel = hWnd;
            ASSERT_NE(hPanel, nullptr);
            ::PostMessageA(hPanel, WM_COMMAND, ID_APP_EXIT, 0);
            EXPECT_TRUE(p->WaitForExit(15000));
        }
    }
}
}
