// Starts whose instance mutex cannot help, and a resident instance that hangs. A start
// falls back to the plain window lookup (and so becomes resident) rather than ending
// without a word, and a hung resident instance does not hang the next start.
#include <gtest/gtest.h>
#include <thread>
#include "AurelonProgram.h"
#include "resource.h"

namespace
{
const char kInstanceMutex[] = "Aurelon3DAudioControl.Instance";
const char kMainClass[] = "Aurelon3DAudioControl";

// A start that holds the mutex and never shows a window, as an "-install" run waiting on
// its "SetPath failed!" box does.
TEST(InstanceFallbackTest, MutexHeldWithoutAResidentWindow)
{
    CAurelonProgram program;
    HANDLE hMutex = ::CreateMutexA(nullptr, TRUE, kInstanceMutex);
    ASSERT_NE(hMutex, nullptr);
    ASSERT_NE(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(program.StartResident()) << "the start ended without a resident window";
    EXPECT_TRUE(program.Exit());
    ::ReleaseMutex(hMutex);
    ::CloseHandle(hMutex);
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
