// Plain functions behind the windows: tips, level texts, line ordering, install switch.
#include <gtest/gtest.h>
#include "app/AudioControlApp.h"
#include "app/DelayLoad.h"
#include "app/TaskBarButton.h"
#include "mixer/MixerDiscovery.h"
#include "mixer/MixerDriver.h"
#include "panel/Preset.h"
#include "support/AboutDlg.h"
#include <limits.h>

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
// Every function loaded at first use has a stand-in for a Windows that lacks it.
TEST(DelayLoadTest, EveryDelayedFunctionHasAStandIn)
{
    const char* const apszDelayed[] = {
#include "DelayedFunctions.h"
    };
    ASSERT_GT(sizeof(apszDelayed) / sizeof(apszDelayed[0]), 10u);
    for (const char* pszName : apszDelayed)
        EXPECT_NE(DelayLoadStandIn(pszName), nullptr) << pszName;
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
