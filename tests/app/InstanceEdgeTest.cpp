// The resident instance's edges: a second "-install" start, a plain show request,
// and the program's activation coming back.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include <shlobj.h>
#include "app/PrivateMessages.h"
#include "resource.h"

namespace
{
const char kProduct[] = "Aurelon 3D Audio Control";
const char kLinkName[] = "\\Aurelon 3D Audio Control.lnk";

std::string FolderPath(int nFolder)
{
    char szPath[MAX_PATH] = "";
    return SUCCEEDED(::SHGetFolderPathA(nullptr, nFolder, nullptr, SHGFP_TYPE_CURRENT, szPath))
        ? std::string(szPath) : std::string();
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class InstanceEdgeTest : public ::testing::Test
{
protected:
    // Opens the panel at a point, as a tray click there would.
    bool ShowPanelAt(int x, int y)
    {
        RECT rc = {};
        return MoveCursorTo(x, y) && WaitUntil([&] {
            m_program.Command(ID_SETTINGS);
            m_program.Sync();
            ::GetWindowRect(m_program.Panel(), &rc);
            return m_program.PanelVisible() && rc.left == x && rc.top == y;
        }, 10000);
    }

    CAurelonProgram m_program;
};

TEST_F(InstanceEdgeTest, InstallSwitchWhileResidentWritesNoShortcut)
{
    const std::string startupLink = FolderPath(CSIDL_STARTUP) + kLinkName;
    const std::string groupFolder = FolderPath(CSIDL_PROGRAMS) + "\\Accessories\\Multimedia";
    const std::string groupLink = groupFolder + kLinkName;
    // The group shortcut is written only where the group exists.
    ASSERT_TRUE(::SHCreateDirectoryExA(nullptr, groupFolder.c_str(), nullptr) == ERROR_SUCCESS
                || FileExists(groupFolder));
    ::DeleteFileA(startupLink.c_str());
    ::DeleteFileA(groupLink.c_str());

    ASSERT_TRUE(m_program.StartResident());
    ASSERT_TRUE(m_program.AnswerSecondStart("-install"));
    EXPECT_FALSE(FileExists(startupLink));
    EXPECT_FALSE(FileExists(groupLink));

    // The same start with nobody resident writes both, where this test looked.
    ASSERT_TRUE(m_program.Exit());
    CProcess install;
    ASSERT_TRUE(install.Start("\"" + BinPath("Aurelon3D.exe") + "\" -install"));
    ASSERT_TRUE(install.WaitForExit(20000));
    EXPECT_TRUE(FileExists(startupLink));
    EXPECT_TRUE(FileExists(groupLink));
    ::DeleteFileA(startupLink.c_str());
    ::DeleteFileA(groupLink.c_str());
    ::RemoveDirectoryA(groupFolder.c_str());
}

TEST_F(InstanceEdgeTest, ShowRequestShowsThePanelWhereItLastWas)
{
    ASSERT_TRUE(m_program.StartResident());
    ASSERT_TRUE(ShowPanelAt(150, 120));
    SendTo(m_program.Panel(), WM_COMMAND, IDOK);
    ASSERT_FALSE(m_program.PanelVisible());
    ASSERT_TRUE(MoveCursorTo(400, 300));

    // The request returns once handled: a notice would keep it waiting, and is seen below.
    DWORD_PTR nResult = 0;
    EXPECT_NE(::SendMessageTimeoutA(m_program.MainWnd(), WM_INSTANCENOTIFY, 1, 0, SMTO_ABORTIFHUNG, 5000,
                                    &nResult), 0) << "the request was kept waiting";
    EXPECT_TRUE(m_program.PanelVisible());
    RECT rc;
    ::GetWindowRect(m_program.Panel(), &rc);
    EXPECT_EQ(rc.left, 150);
    EXPECT_EQ(rc.top, 120);
    EXPECT_EQ(FindTopWindows("#32770", kProduct, m_program.Process().GetId()).size(), 0u);
}

TEST_F(InstanceEdgeTest, SwitchingBackToTheProgramDoesNotShowThePanel)
{
    ASSERT_TRUE(m_program.StartResident());
    ASSERT_TRUE(ShowPanelAt(200, 200));

    // Another program (this one) becomes the active one: the panel hides.
    HWND hOther = ::CreateWindowExA(0, "Static", "another program", WS_POPUP | WS_VISIBLE, 600, 400,
                                    80, 40, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hOther, nullptr);
    EXPECT_TRUE(WaitUntil([&] {
        ::SetForegroundWindow(hOther);
        return ::GetForegroundWindow() == hOther && !m_program.PanelVisible();
    }));

    // Back to the program: the system tells each of its top-level windows.
    DWORD dwThread = ::GetCurrentThreadId();
    for (HWND hWnd : FindTopWindows(nullptr, nullptr, m_program.Process().GetId()))
        ::SendMessageA(hWnd, WM_ACTIVATEAPP, TRUE, static_cast<LPARAM>(dwThread));
    m_program.Sync();
    EXPECT_FALSE(m_program.PanelVisible());
    ::DestroyWindow(hOther);
}
}
