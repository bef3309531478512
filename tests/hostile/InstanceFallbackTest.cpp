// Starts whose instance mutex cannot help, and a resident instance that hangs. A mutex
// that cannot be created leaves the plain window lookup to decide; one held too long by a
// start without a window ends the waiting starts; a hung resident instance does not hang
// the next start.
#include <gtest/gtest.h>
#include <thread>
#include "AurelonProgram.h"
#include "resource.h"

namespace
{
const char kInstanceMutex[] = "Aurelon3DAudioControl.Instance";
const char kMainClass[] = "Aurelon3DAudioControl";

// Two plain starts at once while another start holds the mutex and shows no window (as
// an "-install" run of an older version waiting on its "SetPath failed!" box would).
// Released within their wait: one becomes resident, the other signals it. Held past it:
// both end, since a resident instance without the mutex would be a second icon.
TEST(InstanceFallbackTest, MutexHeldWithoutAResidentWindow)
{
    const char kProduct[] = "Aurelon 3D Audio Control";
    for (DWORD dwHoldMs : { 2000u, 14000u })
    {
        CAurelonProgram first, second;
        HANDLE hMutex = ::CreateMutexA(nullptr, TRUE, kInstanceMutex);
        ASSERT_NE(hMutex, nullptr);
        ASSERT_NE(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        ASSERT_TRUE(first.Start() && second.Start());
        ::Sleep(dwHoldMs);
        ::ReleaseMutex(hMutex);
        ::CloseHandle(hMutex);
        const size_t nResident = dwHoldMs < 10000 ? 1 : 0;
        // The start that signals waits for its notice: answer it.
        WaitUntil([&] {
            for (HWND hNotice : FindTopWindows("#32770", kProduct))
                PressDialogButton(hNotice, IDOK);
            return first.Process().IsRunning() + second.Process().IsRunning() == static_cast<int>(nResident);
        }, 20000);
        PumpFor(2000);
        EXPECT_EQ(FindTopWindows(kMainClass, nullptr).size(), nResident) << dwHoldMs;
        EXPECT_EQ(first.Process().IsRunning() + second.Process().IsRunning(), static_cast<int>(nResident))
            << dwHoldMs;
    }
}

// The mutex's name is taken by an object of another kind: it cannot be created.
TEST(InstanceFallbackTest, MutexCannotBeCreated)
{
    CAurelonProgram program;
    HANDLE hEvent = ::CreateEventA(nullptr, TRUE, FALSE, kInstanceMutex);
    ASSERT_NE(hEvent, nullptr);
    ASSERT_EQ(::CreateMutexA(nullptr, FALSE, kInstanceMutex), nullptr);
    EXPECT_TRUE(program.StartResident()) << "the start ended without a resident window";
    EXPECT_TRUE(program.Exit());
    ::CloseHandle(hEvent);
}

// A window of the resident class whose thread stopped taking messages.
TEST(InstanceFallbackTest, HungResidentDoesNotHangTheNextStart)
{
    CAurelonProgram program;
    HANDLE hRelease = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND hWndHung = nullptr;
    std::thread resident([&] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = kMainClass;
        ::RegisterClassA(&wc);
        HWND hWnd = ::CreateWindowExA(0, kMainClass, "hung", 0, 0, 0, 0, 0, nullptr, nullptr,
                                      wc.hInstance, nullptr);
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
        hWndHung = hWnd;
        ::WaitForSingleObject(hRelease, INFINITE);   // no messages taken meanwhile
        ::DestroyWindow(hWnd);
        ::UnregisterClassA(kMainClass, wc.hInstance);
    });
    ASSERT_TRUE(WaitUntil([&] { return hWndHung != nullptr && ::IsHungAppWindow(hWndHung); }, 15000));
    ASSERT_TRUE(program.Start());
    DWORD dwCode = 1;
    EXPECT_TRUE(program.Process().WaitForExit(10000, &dwCode)) << "the start waits for the hung window";
    EXPECT_EQ(dwCode, 0u);
    ::SetEvent(hRelease);
    resident.join();
    ::CloseHandle(hRelease);
}
}
