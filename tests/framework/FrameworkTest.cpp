// The framework stand-in with real windows: message tables and their crackers,
// default processing, control binding, modal and modeless dialogs, text validation.
#include <gtest/gtest.h>
#include "Harness.h"
#include "framework/App.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "resource.h"

namespace
{
const char kTestClass[] = "AurelonFrameworkTest";

void RegisterTestClass()
{
    WNDCLASSA wc = {};
    if (::GetClassInfoA(::GetModuleHandleA(nullptr), kTestClass, &wc))
        return;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kTestClass;
    ::RegisterClassA(&wc);
}

// Records what reaches its handlers.
class CBaseWnd : public CWnd
{
public:
    int m_nBaseCommands = 0;

protected:
    void OnBaseCommand() { ++m_nBaseCommands; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_COMMAND(200, OnBaseCommand)
END_MESSAGE_MAP()

class CProbeWnd : public CBaseWnd
{
public:
    int m_nCreates = 0;
    int m_nCommands = 0;
    UINT m_nScrollCode = 0;
    HWND m_hScrollBar = nullptr;
    POINT m_ptContext = { 0, 0 };
    HWND m_hContextWnd = nullptr;
    WPARAM m_wRaw = 0;
    LPARAM m_lRaw = 0;
    LRESULT m_lDefault = 0;
    int m_nDefaultCalls = 0;

protected:
    int OnCreate(LPCREATESTRUCT) { ++m_nCreates; return static_cast<int>(Default()); }
    void OnCommand100() { ++m_nCommands; }
    void OnHScroll(UINT nSBCode, UINT, HWND hScrollBar) { m_nScrollCode = nSBCode; m_hScrollBar = hScrollBar; }
    void OnContextMenu(HWND hWnd, POINT point) { m_hContextWnd = hWnd; m_ptContext = point; }
    LRESULT OnRaw(WPARAM wParam, LPARAM lParam) { m_wRaw = wParam; m_lRaw = lParam; return 42; }
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_USER + 7)
            ++m_nDefaultCalls;
        return CBaseWnd::DefWindowProc(message, wParam, lParam);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CBaseWnd)
    ON_WM_CREATE()
    ON_COMMAND(100, OnCommand100)
    ON_WM_HSCROLL()
    ON_WM_CONTEXTMENU()
    ON_MESSAGE(WM_USER + 5, OnRaw)
END_MESSAGE_MAP()

class FrameworkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterTestClass();
        ASSERT_TRUE(m_wnd.CreateEx(0, kTestClass, "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    }
    void TearDown() override { m_wnd.DestroyWindow(); }

    CProbeWnd m_wnd;
};

TEST_F(FrameworkTest, WindowIsBoundFromItsFirstMessageWhateverItsClassProcedure)
{
    EXPECT_EQ(m_wnd.m_nCreates, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(m_wnd.m_hWnd), &m_wnd);
    HWND hWnd = m_wnd.m_hWnd;
    m_wnd.DestroyWindow();
    EXPECT_EQ(m_wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    EXPECT_FALSE(m_wnd.DestroyWindow());
}

TEST_F(FrameworkTest, CommandsReachTheirHandlerOrTheBaseClassTable)
{
    m_wnd.SendMessage(WM_COMMAND, 100);
    m_wnd.SendMessage(WM_COMMAND, MAKEWPARAM(200, BN_CLICKED));
    m_wnd.SendMessage(WM_COMMAND, 300);                        // nobody's
    m_wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, EN_CHANGE));  // not a click or menu command
    EXPECT_EQ(m_wnd.m_nCommands, 1);
    EXPECT_EQ(m_wnd.m_nBaseCommands, 1);
}

TEST_F(FrameworkTest, CrackersUnpackParameters)
{
    HWND hBar = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    m_wnd.SendMessage(WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 9), reinterpret_cast<LPARAM>(hBar));
    EXPECT_EQ(m_wnd.m_nScrollCode, static_cast<UINT>(TB_THUMBTRACK));
    EXPECT_EQ(m_wnd.m_hScrollBar, hBar);
    m_wnd.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_wnd.m_hWnd), MAKELPARAM(-3, 700));
    EXPECT_EQ(m_wnd.m_hContextWnd, m_wnd.m_hWnd);
    EXPECT_EQ(m_wnd.m_ptContext.x, -3);   // screen coordinates keep their sign
    EXPECT_EQ(m_wnd.m_ptContext.y, 700);
    EXPECT_EQ(m_wnd.SendMessage(WM_USER + 5, 11, 22), 42);
    EXPECT_EQ(m_wnd.m_wRaw, 11u);
    EXPECT_EQ(m_wnd.m_lRaw, 22);
}

TEST_F(FrameworkTest, UnhandledMessagesReachTheOverridableDefault)
{
    m_wnd.SendMessage(WM_USER + 7);
    m_wnd.SendMessage(WM_USER + 5);   // handled by the table: no default
    EXPECT_EQ(m_wnd.m_nDefaultCalls, 1);
}

// A subclassed control keeps its own behaviour and reaches its own table first.
class CCountingButton : public CButton
{
public:
    int m_nDowns = 0;

protected:
    void OnLButtonDown(UINT, POINT) { ++m_nDowns; Default(); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingButton, CButton)
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

class CBindingDlg : public CDialog
{
public:
    CBindingDlg() : CDialog(IDD_DESCRIPTION) {}
    CEdit m_edit;
    CCountingButton m_ok;
    std::string m_strText = "hello";

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_DESCRIPTION, m_edit);
        DDX_Control(pDX, IDOK, m_ok);
        DDX_Text(pDX, IDC_DESCRIPTION, m_strText);
        DDV_MaxChars(pDX, m_strText, 5);
    }
};

TEST(DialogTest, ModelessDialogBindsControlsExchangesTextAndHidesOnCancel)
{
    CBindingDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_DESCRIPTION));
    ASSERT_TRUE(dlg.IsModeless());
    EXPECT_EQ(dlg.m_edit.GetWindowText(), "hello");
    EXPECT_EQ(dlg.m_edit.SendMessage(EM_GETLIMITTEXT), 5);
    dlg.m_ok.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    dlg.m_ok.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(dlg.m_ok.m_nDowns, 1);

    dlg.m_edit.SetWindowText("abc");
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_strText, "abc");

    dlg.ShowWindow(SW_SHOW);
    dlg.SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_TRUE(dlg.IsWindow());
    EXPECT_FALSE(dlg.IsWindowVisible());
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.m_edit.m_hWnd, nullptr);   // let go when the dialog went
}

// Answers the validation's message box from outside, as a user would.
DWORD WINAPI DismissMessageBox(LPVOID pText)
{
    // Without an application object the caption is the executable's name.
    std::string* pMessage = static_cast<std::string*>(pText);
    HWND hBox = WaitForDialog("test_framework", ::GetCurrentProcessId(), 10000);
    if (hBox != nullptr)
    {
        *pMessage = DialogMessageText(hBox);
        PressDialogButton(hBox, IDOK);
    }
    return 0;
}

TEST(DialogTest, TooLongTextIsRefusedWithMessageAndSelectedEdit)
{
    CBindingDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_DESCRIPTION));
    dlg.ShowWindow(SW_SHOW);
    dlg.m_edit.SendMessage(EM_LIMITTEXT, 0);
    dlg.m_edit.SetWindowText("abcdefgh");
    std::string message;
    HANDLE hThread = ::CreateThread(nullptr, 0, DismissMessageBox, &message, 0, nullptr);
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    ::WaitForSingleObject(hThread, 15000);
    ::CloseHandle(hThread);
    EXPECT_EQ(message, "Please enter no more than 5 characters.");
    EXPECT_EQ(dlg.m_strText, "abcdefgh");   // read, but refused
    EXPECT_EQ(::GetFocus(), dlg.m_edit.m_hWnd);
    DWORD dwStart = 0, dwEnd = 0;
    dlg.m_edit.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart), reinterpret_cast<LPARAM>(&dwEnd));
    EXPECT_EQ(dwStart, 0u);
    EXPECT_EQ(dwEnd, 8u);
    dlg.DestroyWindow();
}

TEST(AppTest, ArgumentTextSkipsProgramNameAndLowCharacters)
{
    EXPECT_STREQ(SkipProgramName("prog.exe -install"), "-install");
    EXPECT_STREQ(SkipProgramName("\"C:\\My Apps\\prog.exe\" -x y"), "-x y");
    EXPECT_STREQ(SkipProgramName("\"C:\\My Apps\\prog.exe\"-x"), "-x");
    EXPECT_STREQ(SkipProgramName("prog.exe \t\x01 "), "");
    EXPECT_STREQ(SkipProgramName("\"unterminated"), "");
    EXPECT_STREQ(SkipProgramName(""), "");
}

TEST(AppTest, StringsComeFromTheStringTable)
{
    EXPECT_EQ(AfxLoadString(IDS_WINDOW_CLASS), "Aurelon3DAudioControl");
    EXPECT_EQ(AfxLoadString(IDS_REG_QUIET), "");   // deliberately absent
    EXPECT_EQ(AfxLoadString(IDS_NO_MIXER), "Unable to locate the Aurelon Semiconductor Windows "
                                           "Sound System Mixer or one of its components.");
    EXPECT_EQ(AfxFormatString1(IDS_MAX_CHARS, "100"), "Please enter no more than 100 characters.");
}
}
