// Plain functions behind the windows: tips, level texts, line ordering, install switch.
#include <gtest/gtest.h>
#include "app/AudioControlApp.h"
#include "app/DelayLoad.h"
#include "app/TaskBarButton.h"
#include "mixer/MixerDiscovery.h"
#include "mixer/MixerDriver.h"
#include "panel/Preset.h"
#include "support/AboutDlg.h"
#include <commctrl.h>
#include <objbase.h>
#include <ole2.h>
#include <shellapi.h>
#include <cstring>
#include <limits.h>
#include <utility>

namespace
{
TEST(TipTextTest, CutsTo63BytesWithoutSplittingDoubleByteCharacters)
{
    char szTip[64];
    CopyTipText(szTip, std::string(100, 'x').c_str());
    EXPECT_EQ(std::string(szTip), std::string(63, 'x'));
    CopyTipText(szTip, "Aurelon SRS 3D Audio");
    EXPECT_STREQ(szTip, "Aurelon SRS 3D Audio");
    CopyTipText(szTip, nullptr);
    EXPECT_STREQ(szTip, "");

    // Shift-JIS: 0x82 leads a two-byte character, whatever this machine's ANSI code page.
    ASSERT_TRUE(::IsValidCodePage(932));
    std::string text(62, 'a');
    CopyTipText(szTip, (text + "\x82\xA0").c_str(), 932);
    EXPECT_EQ(std::string(szTip), text);                 // the pair does not fit: left out
    CopyTipText(szTip, (std::string(61, 'a') + "\x82\xA0" + "b").c_str(), 932);
    EXPECT_EQ(std::string(szTip), std::string(61, 'a') + "\x82\xA0");   // it fits exactly
    CopyTipText(szTip, (text + "\x82\xA0").c_str(), 1252);
    EXPECT_EQ(std::string(szTip), text + "\x82");        // a single-byte page cuts anywhere
}

TEST(LevelTextTest, ReadsLikeAtoiWithoutOverflow)
{
    EXPECT_EQ(ParseLevelText("7"), 7);
    EXPECT_EQ(ParseLevelText("  12abc"), 12);
    EXPECT_EQ(ParseLevelText("x"), 0);
    EXPECT_EQ(ParseLevelText(""), 0);
    EXPECT_EQ(ParseLevelText("-5"), -5);
    EXPECT_EQ(ParseLevelText("+3"), 3);
    EXPECT_EQ(ParseLevelText("99999999999"), INT_MAX);
    EXPECT_EQ(ParseLevelText("-99999999999"), INT_MIN);
}

TEST(OrderedLineTest, OrdersThreePartsByTheList)
{
    const char* const parts[3] = { "Kestrix", "Release", "1.80" };
    EXPECT_EQ(FormatOrderedLine("0,1,2", parts), "Kestrix Release 1.80");
    EXPECT_EQ(FormatOrderedLine("2,1,0", parts), "1.80 Release Kestrix");
    EXPECT_EQ(FormatOrderedLine(",,2,,0,1,", parts), "1.80 Kestrix Release");
    EXPECT_EQ(FormatOrderedLine("0,7", parts), "Kestrix  ");
    EXPECT_EQ(FormatOrderedLine("", parts), "  ");
}

TEST(InstallSwitchTest, ExactCaseSensitiveSubstring)
{
    EXPECT_TRUE(ContainsInstallSwitch("-install", "-install"));
    EXPECT_TRUE(ContainsInstallSwitch("x-installer", "-install"));
    EXPECT_TRUE(ContainsInstallSwitch("a b -install", "-install"));
    EXPECT_FALSE(ContainsInstallSwitch("-INSTALL", "-install"));
    EXPECT_FALSE(ContainsInstallSwitch("/install", "-install"));
    EXPECT_FALSE(ContainsInstallSwitch("-instal", "-install"));
    EXPECT_FALSE(ContainsInstallSwitch("", "-install"));
}
}

namespace
{
// A call of each function loaded at first use, through its stand-in: TRUE when it answers
// as that function does when it fails.
template <typename T>
T As(FARPROC pfn)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(pfn));
}

const std::pair<const char*, bool (*)(FARPROC)> kStandInCalls[] = {
    {"ImageList_AddMasked", [](FARPROC p) { return As<decltype(&ImageList_AddMasked)>(p)(nullptr, nullptr, 0) == -1; }},
    {"ImageList_Create", [](FARPROC p) { return As<decltype(&ImageList_Create)>(p)(16, 16, 0, 1, 1) == nullptr; }},
    {"ImageList_Destroy", [](FARPROC p) { return !As<decltype(&ImageList_Destroy)>(p)(nullptr); }},
    {"ImageList_Draw", [](FARPROC p) { return !As<decltype(&ImageList_Draw)>(p)(nullptr, 0, nullptr, 0, 0, 0); }},
    {"ImageList_GetImageInfo", [](FARPROC p) { return !As<decltype(&ImageList_GetImageInfo)>(p)(nullptr, 0, nullptr); }},
    {"InitCommonControlsEx", [](FARPROC p) { return !As<decltype(&InitCommonControlsEx)>(p)(nullptr); }},
    {"CoCreateInstance", [](FARPROC p) {
         void* pv = &pv;
         return As<decltype(&CoCreateInstance)>(p)(CLSID_NULL, nullptr, 0, IID_IUnknown, &pv) == REGDB_E_CLASSNOTREG &&
                pv == nullptr;
     }},
    {"OleInitialize", [](FARPROC p) { return FAILED(As<decltype(&OleInitialize)>(p)(nullptr)); }},
    {"OleUninitialize", [](FARPROC p) { As<decltype(&OleUninitialize)>(p)(); return true; }},
    {"Shell_NotifyIconA", [](FARPROC p) { return !As<decltype(&Shell_NotifyIconA)>(p)(NIM_ADD, nullptr); }},
    {"GetFileVersionInfoA", [](FARPROC p) { return !As<decltype(&GetFileVersionInfoA)>(p)("x.exe", 0, 0, nullptr); }},
    {"GetFileVersionInfoSizeA", [](FARPROC p) {
         DWORD dwHandle = 1;
         return As<decltype(&GetFileVersionInfoSizeA)>(p)("x.exe", &dwHandle) == 0 && dwHandle == 0;
     }},
    {"VerQueryValueA", [](FARPROC p) {
         void* pv = &pv;
         UINT nLen = 1;
         return !As<decltype(&VerQueryValueA)>(p)("", "\\", &pv, &nLen) && pv == nullptr && nLen == 0;
     }},
    {"GetMonitorInfoA", [](FARPROC p) {
         MONITORINFO info = {};
         info.cbSize = sizeof(info);
         return !As<decltype(&GetMonitorInfoA)>(p)(nullptr, &info);
     }},
    {"MonitorFromPoint", [](FARPROC p) {
         return As<decltype(&MonitorFromPoint)>(p)(POINT{ 0, 0 }, MONITOR_DEFAULTTONEAREST) == nullptr;
     }},
};

// Every function loaded at first use (the list is made from cmake/delayimp/) has a stand-in,
// which fails as that function does and leaves ERROR_PROC_NOT_FOUND, as the loader does.
TEST(DelayLoadTest, EveryStandInFailsAsItsFunctionDoes)
{
    const char* const apszDelayed[] = {
#include "DelayedFunctions.h"
    };
    ASSERT_GT(sizeof(apszDelayed) / sizeof(apszDelayed[0]), 10u);
    for (const char* pszName : apszDelayed)
    {
        bool (*pfnFails)(FARPROC) = nullptr;
        for (const auto& call : kStandInCalls)
            pfnFails = std::strcmp(call.first, pszName) == 0 ? call.second : pfnFails;
        FARPROC pfn = DelayLoadStandIn(pszName);
        ASSERT_NE(pfnFails, nullptr) << "no call of " << pszName << " in this test";
        ASSERT_NE(pfn, nullptr) << pszName;
        ::SetLastError(ERROR_SUCCESS);
        const bool bFails = pfnFails(pfn);
        const DWORD dwError = ::GetLastError();
        EXPECT_TRUE(bFails) << pszName;
        if (std::strcmp(pszName, "OleUninitialize") != 0)     // it has no failure to report
        {
            EXPECT_EQ(dwError, static_cast<DWORD>(ERROR_PROC_NOT_FOUND)) << pszName;
        }
    }
    EXPECT_EQ(DelayLoadStandIn("GetTickCount64"), nullptr);
}

// 64-bit Windows unwinds every frame (structured exceptions, crash reports, stack traces)
// through the unwind table entries of the functions on the stack.
TEST(UnwindTest, ProgramFunctionsHaveUnwindEntries)
{
#ifdef _WIN64
    const struct { const char* pszName; const void* pfn; } functions[] = {
        {"CopyTipText", reinterpret_cast<const void*>(&CopyTipText)},
        {"ContainsInstallSwitch", reinterpret_cast<const void*>(&ContainsInstallSwitch)},
        {"LoadMixerDriver", reinterpret_cast<const void*>(&LoadMixerDriver)},
        {"DelayLoadStandIn", reinterpret_cast<const void*>(&DelayLoadStandIn)},
    };
    for (const auto& function : functions)
    {
        DWORD64 nImageBase = 0;
        EXPECT_NE(::RtlLookupFunctionEntry(reinterpret_cast<DWORD64>(function.pfn), &nImageBase, nullptr),
                  nullptr) << function.pszName;
    }
#else
    GTEST_SKIP() << "32-bit Windows does not unwind through tables";
#endif
}
}
