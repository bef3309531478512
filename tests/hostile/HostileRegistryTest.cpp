// Hostile registry contents: every value the program reads, stored missing, with the
// wrong type, without terminator, empty, oversized or out of range. Each case must end
// in the documented fallback, without a crash, and a normal exit must leave the user's keys
// as they were: the program writes only what it changed, and writes that sane.
#include <windows.h>
#include <dbt.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "AurelonProgram.h"
#include "KeyAccess.h"
#include "RegistrySandbox.h"
#include "RegistryShapes.h"
#include "mixer/Mixer3D.h"
#include "mixer/MixerDiscovery.h"
#include "resource.h"

namespace
{
const char kRoot[] = "Software\\Aurelon\\Morvane";
const char kPreset1[] = "Software\\Aurelon\\Morvane\\Preset1";
const char kRecord[] = "System\\CurrentControlSet\\Control\\MediaResources\\mixer\\0";
const DWORD kDevNode = 0x5A0;
}

// Levels become mixer values as position x step; the product must wrap, not overflow.
static_assert(MixerPositionToValue(1000000, 4369) == 1000000u * 4369u, "wraps");
static_assert(MixerPositionToValue(-1, 4369) == 0u - 4369u, "wraps");
static_assert(MixerPositionToValue(INT_MIN, -1) == 0x80000000u, "wraps");

// The device records read when a device-node broadcast comes: a record that cannot be
// read counts as the chip's; a readable one counts only when its DeviceID holds "QVX".
class DeviceRecordTest : public ::testing::Test
{
protected:
    BOOL Check()
    {
        DEV_BROADCAST_DEVNODE node = {};
        node.dbcd_size = sizeof(node);
        node.dbcd_devicetype = DBT_DEVTYP_DEVNODE;
        node.dbcd_devnode = kDevNode;
        ++HostileCases();
        return IsMixerDevNode(reinterpret_cast<DEV_BROADCAST_HDR*>(&node));
    }
    CRegistrySandbox m_sandbox;
};

TEST_F(DeviceRecordTest, BrokenDevNodeCountsAsTheChip)
{
    const int nBefore = HostileCases();
    EXPECT_TRUE(Check()) << "no records key";
    for (const auto& shape : BrokenShapes())
    {
        if (shape.second.dwType == REG_BINARY && shape.second.data.size() == 3)
            continue;   // a short record is read as far as it goes, below
        CRegistrySandbox::DeleteKey(HKEY_LOCAL_MACHINE, kRecord);
        Store(HKEY_LOCAL_MACHINE, kRecord, "DevNode", shape.second);
        Store(HKEY_LOCAL_MACHINE, kRecord, "DeviceID", Text("OTHER\\MAKER"));
        EXPECT_TRUE(Check()) << shape.first;
    }
    // Three bytes of another node: read, compared, not ours.
    CRegistrySandbox::DeleteKey(HKEY_LOCAL_MACHINE, kRecord);
    Store(HKEY_LOCAL_MACHINE, kRecord, "DevNode", { REG_BINARY, std::string("\x01\x02\x03", 3) });
    Store(HKEY_LOCAL_MACHINE, kRecord, "DeviceID", Text("QVX"));
    EXPECT_FALSE(Check());
    std::printf("[ cases    ] %d DevNode shapes\n", HostileCases() - nBefore);
}

TEST_F(DeviceRecordTest, DeviceIDShapesAndSizes)
{
    const std::string node(reinterpret_cast<const char*>(&kDevNode), 4);
    struct Case
    {
        const char* pszName;
        RawValue value;
        BOOL bExpected;
    };
    const std::string s999(999, 'a');
    const Case cases[] = {
        { "missing", Missing(), TRUE },
        { "REG_DWORD", Dword(7), TRUE },
        { "REG_EXPAND_SZ", Text("QVX", REG_EXPAND_SZ), TRUE },
        { "REG_MULTI_SZ", { REG_MULTI_SZ, std::string("x\0\0", 3) }, TRUE },
        { "REG_BINARY 3", Binary(3), TRUE },
        { "REG_BINARY 5", Binary(5), TRUE },
        { "size 0", { REG_SZ, "" }, FALSE },
        { "unterminated, other maker", Unterminated("abc"), FALSE },
        { "unterminated, ours", Unterminated("PCI\\QVX"), TRUE },
        { "999 + terminator = the buffer", Text(s999), FALSE },
        { "998 + QVX at the end", Text(s999.substr(3) + "QVX"), TRUE },
        { "1000 + terminator: one byte more", Text(s999 + "a"), TRUE },
        { "1000 unterminated", Unterminated(s999 + "a"), TRUE },
        { "64 KiB", Text(std::string(65536, 'a')), TRUE },
        { "non-ASCII", Text("\xC4\xD6\xDC"), FALSE },
        { "double-byte then QVX", Text("\x82\xA0\x83QVX"), TRUE },
    };
    for (const Case& c : cases)
    {
        CRegistrySandbox::DeleteKey(HKEY_LOCAL_MACHINE, kRecord);
        Store(HKEY_LOCAL_MACHINE, kRecord, "DevNode", { REG_BINARY, node });
        Store(HKEY_LOCAL_MACHINE, kRecord, "DeviceID", c.value);
        EXPECT_EQ(c.bExpected, Check()) << c.pszName;
    }
    std::printf("[ cases    ] %zu DeviceID shapes\n", sizeof(cases) / sizeof(cases[0]));
}

// Presets and the quiet flag, read by the real program at start; what it read shows when
// preset 1 is applied, and in the user's key that "&Save Settings" writes.
class PresetRegistryTest : public ::testing::Test
{
protected:
    void Begin(const std::string& strCase)
    {
        ++HostileCases();
        m_before = SnapshotValues(HKEY_CURRENT_USER, kRoot);
        ASSERT_TRUE(m_program.StartResident()) << strCase;
    }

    // A normal exit writes nothing that the program did not change, whatever it read.
    void Finish(const std::string& strCase)
    {
        ASSERT_TRUE(m_program.Exit()) << strCase;
        EXPECT_EQ(SnapshotValues(HKEY_CURRENT_USER, kRoot), m_before) << strCase;
    }

    // Applies preset 1; the chip's Center and Space as positions.
    std::pair<DWORD, DWORD> AppliedLevels()
    {
        const DWORD nStep = static_cast<DWORD>(MixerStepSize(65535, 16));
        m_program.Click(IDC_PRESET1);
        m_program.Sync();
        EXPECT_EQ(m_program.ChipValue(MIXER3D_CENTER_ID) % nStep, 0u);
        return { m_program.ChipValue(MIXER3D_CENTER_ID) / nStep, m_program.ChipValue(MIXER3D_SPACE_ID) / nStep };
    }

    void ExpectSaneUserKey(const std::string& strCase)
    {
        for (const char* pszName : { "Center", "Space" })
        {
            DWORD dwType = 0;
            std::vector<BYTE> data;
            ASSERT_TRUE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, kPreset1, pszName, &dwType, data)) << strCase;
            EXPECT_EQ(dwType, static_cast<DWORD>(REG_DWORD)) << strCase;
            EXPECT_EQ(data.size(), 4u) << strCase;
        }
        DWORD dwType = 0;
        std::vector<BYTE> data;
        ASSERT_TRUE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, kPreset1, "Description", &dwType, data));
        EXPECT_EQ(dwType, static_cast<DWORD>(REG_SZ)) << strCase;
        ASSERT_FALSE(data.empty()) << strCase;
        EXPECT_EQ(data.back(), 0) << strCase;
    }

    std::string UserDescription()
    {
        DWORD dwType = 0;
        std::vector<BYTE> data;
        if (!CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, kPreset1, "Description", &dwType, data) || data.empty())
            return "<none>";
        return std::string(data.begin(), data.end() - 1);
    }

    CAurelonProgram m_program;
    std::map<std::string, std::pair<DWORD, std::vector<BYTE>>> m_before;
};

TEST_F(PresetRegistryTest, UserLevelsOfTheWrongShapeCountAsMissing)
{
    for (const auto& shape : BrokenShapes())
    {
        if (shape.second.dwType == REG_DWORD)
            continue;
        CAurelonProgram::Clean();
        Store(HKEY_CURRENT_USER, kPreset1, "Center", shape.second);
        Store(HKEY_CURRENT_USER, kPreset1, "Space", Dword(3));
        Begin("user Center " + shape.first);
        EXPECT_EQ(AppliedLevels(), (std::pair<DWORD, DWORD>(0, 3))) << shape.first;
        Finish("user Center " + shape.first);
    }
}

// A level outside the chip's 16 positions is applied as the nearest one, and kept as stored.
TEST_F(PresetRegistryTest, HugeAndNegativeUserLevelsAreClampedAndKept)
{
    const std::pair<DWORD, DWORD> rows[] = {
        { 0xFFFFFFFFu, 0 }, { 0x80000000u, 0 }, { 15, 15 }, { 16, 15 }, { 1000000u, 15 }, { 0x7FFFFFFFu, 15 } };
    for (const auto& row : rows)
    {
        CAurelonProgram::Clean();
        Store(HKEY_CURRENT_USER, kPreset1, "Center", Dword(row.first));
        Store(HKEY_CURRENT_USER, kPreset1, "Space", Dword(row.first));
        const std::string strCase = "level " + std::to_string(row.first);
        Begin(strCase);
        EXPECT_EQ(AppliedLevels(), std::make_pair(row.second, row.second)) << strCase;
        EXPECT_EQ(m_program.SliderPos(IDC_CENTER), static_cast<int>(row.second)) << strCase;
        Finish(strCase);
    }
}

TEST_F(PresetRegistryTest, FactoryTextsParseOrCountAsMissing)
{
    struct Case
    {
        const char* pszName;
        RawValue value;
        DWORD dwExpected;
    };
    const Case cases[] = {
        { "missing", Missing(), 0 },
        { "REG_DWORD", Dword(7), 0 },
        { "REG_EXPAND_SZ", Text("7", REG_EXPAND_SZ), 0 },
        { "REG_MULTI_SZ", { REG_MULTI_SZ, std::string("7\0\0", 3) }, 0 },
        { "REG_BINARY 3", Binary(3), 0 },
        { "REG_BINARY 5", Binary(5), 0 },
        { "size 0", { REG_SZ, "" }, 0 },
        { "unterminated 12", Unterminated("12"), 12 },
        { "-5", Text("-5"), 0 },
        { "99999999999", Text("99999999999"), 15 },
        { "-99999999999", Text("-99999999999"), 0 },
        { "64 KiB of digits", Text(std::string(65536, '9')), 15 },
        { "non-ASCII", Text("\xC4\xD6"), 0 },
        { "double-byte", Text("\x82\xA0"), 0 },
    };
    for (const Case& c : cases)
    {
        CAurelonProgram::Clean();
        Store(HKEY_LOCAL_MACHINE, kPreset1, "Center", c.value);
        Begin(std::string("factory Center ") + c.pszName);
        EXPECT_EQ(AppliedLevels().first, c.dwExpected) << c.pszName;
        Finish(std::string("factory Center ") + c.pszName);
    }
}

TEST_F(PresetRegistryTest, DescriptionsOfEveryShape)
{
    struct Case
    {
        const char* pszName;
        RawValue value;
        std::string strExpected;
    };
    const std::string s64k(65536, 'd');
    const Case cases[] = {
        { "missing", Missing(), "Preset 1" },
        { "REG_DWORD", Dword(7), "Preset 1" },
        { "REG_EXPAND_SZ", Text("x", REG_EXPAND_SZ), "Preset 1" },
        { "REG_BINARY 5", Binary(5), "Preset 1" },
        { "size 0", { REG_SZ, "" }, "" },
        { "unterminated", Unterminated("Jazz"), "Jazz" },
        { "64 KiB", Text(s64k), s64k },
        { "double-byte", Text("\x82\xA0\x83\x41"), "\x82\xA0\x83\x41" },
    };
    for (HKEY hRoot : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE })
    {
        for (const Case& c : cases)
        {
            CAurelonProgram::Clean();
            Store(hRoot, kPreset1, "Description", c.value);
            Begin(std::string("Description ") + c.pszName);
            ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET1, 1));   // "&Save Settings"
            ASSERT_TRUE(m_program.Exit());
            ExpectSaneUserKey(std::string("Description ") + c.pszName);
            EXPECT_EQ(UserDescription(), c.strExpected) << c.pszName;
        }
    }
}

// The one-shot quiet flag: only an unnamed REG_DWORD 1 silences the missing-mixer message.
TEST_F(PresetRegistryTest, QuietFlagOfTheWrongShapeDoesNotSilence)
{
    int nCases = 0;
    for (const auto& shape : BrokenShapes())
    {
        if (shape.second.bMissing)
            continue;
        CAurelonProgram::Clean();
        Store(HKEY_LOCAL_MACHINE, kRoot, "", shape.second);
        ++HostileCases();
        ++nCases;
        ASSERT_TRUE(m_program.Start("", false));
        HWND hBox = WaitForDialog("Aurelon 3D Audio Control", m_program.Process().GetId());
        EXPECT_NE(hBox, nullptr) << shape.first;
        PressDialogButton(hBox, IDOK);
        DWORD dwCode = 1;
        ASSERT_TRUE(m_program.Process().WaitForExit(10000, &dwCode)) << shape.first;
        EXPECT_EQ(dwCode, 0u);
        EXPECT_TRUE(SnapshotValues(HKEY_CURRENT_USER, kRoot).empty()) << "a start without a chip wrote";
    }
    for (DWORD dw : { 0u, 2u, 0xFFFFFFFFu })
    {
        CAurelonProgram::Clean();
        Store(HKEY_LOCAL_MACHINE, kRoot, "", Dword(dw));
        ++HostileCases();
        ASSERT_TRUE(m_program.Start("", false));
        HWND hBox = WaitForDialog("Aurelon 3D Audio Control", m_program.Process().GetId());
        EXPECT_NE(hBox, nullptr) << dw;
        PressDialogButton(hBox, IDOK);
        ASSERT_TRUE(m_program.Process().WaitForExit(10000));
    }
    // The control case: 1 silences.
    CAurelonProgram::Clean();
    Store(HKEY_LOCAL_MACHINE, kRoot, "", Dword(1));
    ASSERT_TRUE(m_program.Start("", false));
    ASSERT_TRUE(m_program.Process().WaitForExit(10000));
    DWORD dwType = 0;
    std::vector<BYTE> data;
    EXPECT_FALSE(CRegistrySandbox::GetRaw(HKEY_LOCAL_MACHINE, kRoot, "", &dwType, data));
}

// Printed after every test of the run, whichever file it is in.
class CHostileSummary : public ::testing::Environment
{
public:
    void TearDown() override
    {
        std::printf("[ cases    ] %d hostile registry cases tried in this run\n", HostileCases());
    }
};
static ::testing::Environment* const s_pSummary =
    ::testing::AddGlobalTestEnvironment(new CHostileSummary);
