// A device broadcast's record is only as long as its dbch_size says (a record from another
// process arrives copied, that many bytes). Records placed right before an inaccessible
// page show that nothing past that length is read.
#include <gtest/gtest.h>
#include <windows.h>
#include <dbt.h>
#include <cstring>
#include "RegistrySandbox.h"
#include "mixer/MixerDiscovery.h"

namespace
{
// Two pages, the second inaccessible: a record copied to the end of the first.
class CGuardedRecord
{
public:
    CGuardedRecord()
    {
        SYSTEM_INFO info;
        ::GetSystemInfo(&info);
        m_cbPage = info.dwPageSize;
        m_pBase = static_cast<BYTE*>(::VirtualAlloc(nullptr, 2 * m_cbPage, MEM_COMMIT, PAGE_READWRITE));
        DWORD dwOld = 0;
        if (m_pBase != nullptr)
            ::VirtualProtect(m_pBase + m_cbPage, m_cbPage, PAGE_NOACCESS, &dwOld);
    }
    ~CGuardedRecord()
    {
        if (m_pBase != nullptr)
            ::VirtualFree(m_pBase, 0, MEM_RELEASE);
    }
    CGuardedRecord(const CGuardedRecord&) = delete;
    CGuardedRecord& operator=(const CGuardedRecord&) = delete;

    bool IsReady() const { return m_pBase != nullptr; }
    // The first cb bytes of a record, ending where the inaccessible page begins.
    const DEV_BROADCAST_HDR* Place(const void* pRecord, DWORD cb)
    {
        BYTE* pAt = m_pBase + m_cbPage - cb;
        std::memcpy(pAt, pRecord, cb);
        return reinterpret_cast<const DEV_BROADCAST_HDR*>(pAt);
    }

private:
    DWORD m_cbPage = 0;
    BYTE* m_pBase = nullptr;
};

class BroadcastRecordTest : public CRegistrySandboxTest
{
protected:
    void SetUp() override
    {
        CRegistrySandboxTest::SetUp();
        ASSERT_TRUE(m_guard.IsReady());
    }

    CGuardedRecord m_guard;
};

TEST_F(BroadcastRecordTest, ShortRecordsAreNotOurs)
{
    DEV_BROADCAST_DEVNODE record = {};
    record.dbcd_devicetype = DBT_DEVTYP_DEVNODE;
    record.dbcd_devnode = 0x5A0;
    // Only the size field: the type is not there.
    record.dbcd_size = sizeof(DWORD);
    EXPECT_FALSE(IsMixerDevNode(m_guard.Place(&record, record.dbcd_size)));
    // A device-node header without its node number.
    record.dbcd_size = sizeof(DEV_BROADCAST_HDR);
    EXPECT_FALSE(IsMixerDevNode(m_guard.Place(&record, record.dbcd_size)));
}

// A whole record is still read: without driver records every device node counts as ours.
TEST_F(BroadcastRecordTest, WholeRecordIsRead)
{
    DEV_BROADCAST_DEVNODE record = {};
    record.dbcd_size = sizeof(record);
    record.dbcd_devicetype = DBT_DEVTYP_DEVNODE;
    record.dbcd_devnode = 0x5A0;
    EXPECT_TRUE(IsMixerDevNode(m_guard.Place(&record, sizeof(record))));
}
}
