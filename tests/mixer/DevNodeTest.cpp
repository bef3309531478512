// IsMixerDevNode against driver records in a scratch registry.
#include "MixerTestKit.h"

#include "mixer/MixerDiscovery.h"
#include "tests/common/RegistrySandbox.h"

namespace
{
const char c_szRecords[] = "System\\CurrentControlSet\\Control\\MediaResources\\mixer";

DEV_BROADCAST_DEVNODE DevNode(DWORD dwDevNode)
{
    DEV_BROADCAST_DEVNODE record = {};
    record.dbcd_size = sizeof(record);
    record.dbcd_devicetype = DBT_DEVTYP_DEVNODE;
    record.dbcd_devnode = dwDevNode;
    return record;
}

BOOL IsMixerNode(DWORD dwDevNode)
{
    const DEV_BROADCAST_DEVNODE record = DevNode(dwDevNode);
    return IsMixerDevNode(reinterpret_cast<const DEV_BROADCAST_HDR*>(&record));
}

class CDevNodeTest : public CRegistrySandboxTest
{
protected:
    // A driver record; a NULL device id leaves the value out.
    void AddRecord(const char* pszName, DWORD dwDevNode, const char* pszDeviceID)
    {
        const std::string strKey = std::string(c_szRecords) + "\\" + pszName;
        ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_LOCAL_MACHINE, strKey.c_str(), "DevNode", REG_BINARY,
                                             &dwDevNode, sizeof(dwDevNode)));
        if (pszDeviceID != nullptr)
        {
            ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, strKey.c_str(), "DeviceID", pszDeviceID));
        }
    }
};
}

TEST_F(CDevNodeTest, OtherDeviceTypesAreNotMixersWithoutLookingAtRecords)
{
    // With no records every device node would answer TRUE; these types must not get there.
    DEV_BROADCAST_HDR port = {sizeof(port), DBT_DEVTYP_PORT, 0};
    EXPECT_FALSE(IsMixerDevNode(&port));
    DEV_BROADCAST_VOLUME volume = {sizeof(volume), DBT_DEVTYP_VOLUME, 0, 4, 0};
    EXPECT_FALSE(IsMixerDevNode(reinterpret_cast<const DEV_BROADCAST_HDR*>(&volume)));
    EXPECT_TRUE(IsMixerNode(0x10));
}

TEST_F(CDevNodeTest, MissingRecordsKeyAcceptsEveryDeviceNode)
{
    EXPECT_TRUE(IsMixerNode(0));
    EXPECT_TRUE(IsMixerNode(0x12345));
}

TEST_F(CDevNodeTest, RecordWithVendorCodeAccepts)
{
    AddRecord("0000", 0x20, "PCI\\VEN_8086\\1");
    AddRecord("0001", 0x21, "ISAPNP\\QVX0001\\0");
    EXPECT_TRUE(IsMixerNode(0x21));
}

TEST_F(CDevNodeTest, RecordWithoutVendorCodeRejects)
{
    AddRecord("0000", 0x20, "PCI\\VEN_8086\\1");
    AddRecord("0001", 0x21, "ISAPNP\\qvx0001\\0");
    EXPECT_FALSE(IsMixerNode(0x20));
    EXPECT_FALSE(IsMixerNode(0x21));  // the vendor code is case-sensitive
}

TEST_F(CDevNodeTest, UnknownDeviceNodeRejects)
{
    AddRecord("0000", 0x20, "ISAPNP\\QVX0001\\0");
    EXPECT_FALSE(IsMixerNode(0x99));
}

TEST_F(CDevNodeTest, RecordsKeyWithoutRecordsRejects)
{
    ASSERT_TRUE(CRegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE, c_szRecords));
    EXPECT_FALSE(IsMixerNode(0x20));
}

TEST_F(CDevNodeTest, LaterMatchingRecordWithVendorCodeAccepts)
{
    AddRecord("0000", 0x20, "PCI\\VEN_8086\\1");
    AddRecord("0001", 0x20, "ISAPNP\\QVX0001\\0");
    EXPECT_TRUE(IsMixerNode(0x20));
}

TEST_F(CDevNodeTest, MatchingRecordWithoutDeviceIdAccepts)
{
    AddRecord("0000", 0x20, nullptr);
    EXPECT_TRUE(IsMixerNode(0x20));
}

TEST_F(CDevNodeTest, UnreadableRecordsAccept)
{
    // A "DevNode" that is not binary data answers TRUE, whatever the node.
    const std::string strKey = std::string(c_szRecords) + "\\0000";
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, strKey.c_str(), "DevNode", 0x20));
    EXPECT_TRUE(IsMixerNode(0x99));
}

TEST_F(CDevNodeTest, DeviceIdOfWrongTypeAccepts)
{
    AddRecord("0000", 0x20, nullptr);
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, (std::string(c_szRecords) + "\\0000").c_str(),
                                          "DeviceID", "PCI\\VEN_8086", REG_EXPAND_SZ));
    EXPECT_TRUE(IsMixerNode(0x20));
}

TEST_F(CDevNodeTest, VendorCodeInAnUnterminatedFullBufferIsFoundSafely)
{
    // 1000 bytes without a terminator: the text cannot be taken whole, which answers TRUE.
    std::string strID(1000, 'A');
    strID += "QVX";
    const std::string strKey = std::string(c_szRecords) + "\\0000";
    AddRecord("0000", 0x20, nullptr);
    ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_LOCAL_MACHINE, strKey.c_str(), "DeviceID", REG_SZ, strID.data(), 1000));
    EXPECT_TRUE(IsMixerNode(0x20));
}

TEST_F(CDevNodeTest, ChipRecordsTellChipFromOtherMaker)
{
    ASSERT_TRUE(Chip().IsLoaded());
    SetChipLayout(CHIPSIM_LAYOUT_PLAIN_FIRST);
    EXPECT_FALSE(IsMixerNode(CHIPSIM_DEVNODE_BASE));
    EXPECT_TRUE(IsMixerNode(CHIPSIM_DEVNODE_BASE + 1));
    EXPECT_FALSE(IsMixerNode(CHIPSIM_DEVNODE_BASE + 2));
    SetChipLayout(CHIPSIM_LAYOUT_SRS);
}
