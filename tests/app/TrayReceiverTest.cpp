// The tray icons' receiver window, in this process: a close request does not take it
// away, and a receiver destroyed by someone else is replaced for the next icon.
#include <gtest/gtest.h>
#include <memory>
#include "app/TaskBarButton.h"
#include "resource.h"

namespace
{
TEST(TrayReceiverTest, CloseRequestKeepsTheReceiver)
{
    CTaskBarButton icon(IDI_SRS_ON, "close test");
    HWND hReceiver = CTaskBarButton::m_hReceiverWnd;
    ASSERT_TRUE(::IsWindow(hReceiver));
    ::SendMessageA(hReceiver, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(hReceiver));
    EXPECT_EQ(CTaskBarButton::m_hReceiverWnd, hReceiver);
}

TEST(TrayReceiverTest, ReceiverDestroyedFromOutsideIsReplacedForTheNextIcon)
{
    std::unique_ptr<CTaskBarButton> pIcon(new CTaskBarButton(IDI_SRS_ON, "first"));
    HWND hReceiver = CTaskBarButton::m_hReceiverWnd;
    ASSERT_TRUE(::IsWindow(hReceiver));
    ASSERT_TRUE(::DestroyWindow(hReceiver));
    EXPECT_EQ(CTaskBarButton::m_hReceiverWnd, nullptr) << "stale receiver handle";
    pIcon.reset();
    CTaskBarButton next(IDI_SRS_ON, "next");
    EXPECT_TRUE(::IsWindow(CTaskBarButton::m_hReceiverWnd));
}
}
