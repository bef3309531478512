// The registry value classes against the real registry, inside a sandbox.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "support/RegistryKey.h"
#include "support/RegistryValue.h"
#include "tests/common/RegistrySandbox.h"

namespace
{
const char kPath[] = "Software\\Aurelon\\ValueTest";
const BYTE kGuard = 0xA5;
}

class RegistryValueTest : public CRegistrySandboxTest
{
protected:
    void SetUp() override
    {
        CRegistrySandboxTest::SetUp();
        ASSERT_TRUE(m_key.Open(TRUE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
    }

    // Reads text into a buffer of cbCapacity bytes followed by guard bytes; the guard must
    // survive and, on success, the text must end inside the buffer.
    BOOL ReadGuarded(const char* pszName, DWORD cbCapacity, std::string& strText, DWORD* pcbSize)
    {
        std::vector<char> buffer(cbCapacity + 8, static_cast<char>(kGuard));
        CRegistryStringValue value(&m_key, pszName);
        *pcbSize = cbCapacity;
        BOOL bRead = value.Read(buffer.data(), pcbSize);
        for (DWORD i = cbCapacity; i < buffer.size(); ++i)
            EXPECT_EQ(static_cast<char>(kGuard), buffer[i]) << "overrun at " << i;
        if (bRead)
        {
            const void* pEnd = std::memchr(buffer.data(), 0, cbCapacity);
            EXPECT_NE(nullptr, pEnd) << "text not terminated inside the buffer";
            if (pEnd == nullptr)
                return FALSE;
            strText.assign(buffer.data());
        }
        m_lLastResult = value.GetResult();
        return bRead;
    }

    CRegistryKey m_key{HKEY_CURRENT_USER, kPath};
    LONG m_lLastResult = 0;
};

TEST_F(RegistryValueTest, NullAndEmptyNameAddressTheDefaultValue)
{
    CRegistryStringValue unnamed(&m_key, NULL);
    CRegistryStringValue empty(&m_key, "");
    ASSERT_TRUE(unnamed.Write("first"));
    std::string strText;
    EXPECT_TRUE(empty.ReadText(strText));
    EXPECT_EQ("first", strText);
    ASSERT_TRUE(empty.Write("second"));
    EXPECT_TRUE(unnamed.ReadText(strText));
    EXPECT_EQ("second", strText);

    DWORD dwType = 0;
    std::vector<BYTE> raw;
    ASSERT_TRUE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, kPath, NULL, &dwType, raw));
    EXPECT_EQ(std::string("second", 7), std::string(raw.begin(), raw.end()));
    EXPECT_TRUE(unnamed.DeleteValue());
    EXPECT_FALSE(empty.Exists());
}

TEST_F(RegistryValueTest, TextIsStoredWithItsTerminator)
{
    CRegistryStringValue value(&m_key, "Description");
    ASSERT_TRUE(value.Write("abc"));
    DWORD cbSize = 0;
    EXPECT_TRUE(value.QuerySize(&cbSize));
    EXPECT_EQ(4u, cbSize);
    DWORD dwType = 0;
    std::vector<BYTE> raw;
    ASSERT_TRUE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, kPath, "Description", &dwType, raw));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), dwType);
    EXPECT_EQ(std::string("abc", 4), std::string(raw.begin(), raw.end()));

    ASSERT_TRUE(value.Write(""));
    EXPECT_TRUE(value.QuerySize(&cbSize));
    EXPECT_EQ(1u, cbSize);
}

TEST_F(RegistryValueTest, TextReadChecksTypeAndRoom)
{
    std::string strText;
    DWORD cbSize = 0;
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, kPath, "Text", "abc"));
    // Exactly filling the buffer, terminator included.
    EXPECT_TRUE(ReadGuarded("Text", 4, strText, &cbSize));
    EXPECT_EQ("abc", strText);
    EXPECT_EQ(4u, cbSize);
    EXPECT_FALSE(ReadGuarded("Text", 3, strText, &cbSize));
    EXPECT_EQ(ERROR_MORE_DATA, m_lLastResult);
    EXPECT_FALSE(ReadGuarded("Missing", 16, strText, &cbSize));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, m_lLastResult);

    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, kPath, "Expand", "%WINDIR%",
                                          REG_EXPAND_SZ));
    ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_CURRENT_USER, kPath, "Multi", REG_MULTI_SZ,
                                         "a\0b\0", 5));
    ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_CURRENT_USER, kPath, "Binary", REG_BINARY,
                                         "abc", 4));
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_CURRENT_USER, kPath, "Number", 0x00636261));
    for (const char* pszName : {"Expand", "Multi", "Binary", "Number"})
        EXPECT_FALSE(ReadGuarded(pszName, 64, strText, &cbSize)) << pszName;
}

TEST_F(RegistryValueTest, UnterminatedTextIsTerminatedOrRefused)
{
    ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_CURRENT_USER, kPath, "Bare", REG_SZ, "abc", 3));
    CRegistryStringValue value(&m_key, "Bare");
    DWORD cbSize = 0;
    ASSERT_TRUE(value.QuerySize(&cbSize));
    ASSERT_EQ(3u, cbSize);   // the registry really holds no terminator

    std::string strText;
    // A buffer of the stored size has no room for the terminator.
    EXPECT_FALSE(ReadGuarded("Bare", 3, strText, &cbSize));
    EXPECT_EQ(ERROR_MORE_DATA, m_lLastResult);
    EXPECT_EQ(4u, cbSize);
    EXPECT_TRUE(ReadGuarded("Bare", 4, strText, &cbSize));
    EXPECT_EQ("abc", strText);
    EXPECT_EQ(4u, cbSize);
    EXPECT_TRUE(ReadGuarded("Bare", 100, strText, &cbSize));
    EXPECT_EQ("abc", strText);
    EXPECT_TRUE(value.ReadText(strText));
    EXPECT_EQ("abc", strText);
}

TEST_F(RegistryValueTest, EmptyStoredTextReadsAsEmpty)
{
    ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_CURRENT_USER, kPath, "Empty", REG_SZ, "", 0));
    CRegistryStringValue value(&m_key, "Empty");
    DWORD cbSize = 99;
    ASSERT_TRUE(value.QuerySize(&cbSize));
    ASSERT_EQ(0u, cbSize);

    std::string strText = "old";
    EXPECT_FALSE(ReadGuarded("Empty", 0, strText, &cbSize));
    EXPECT_EQ(1u, cbSize);
    EXPECT_TRUE(ReadGuarded("Empty", 1, strText, &cbSize));
    EXPECT_EQ("", strText);
    strText = "old";
    EXPECT_TRUE(value.ReadText(strText));
    EXPECT_EQ("", strText);
}

TEST_F(RegistryValueTest, ReadTextTakesAnyLengthAndFailsWithoutTouching)
{
    const std::string strLong(5000, 'q');
    CRegistryStringValue value(&m_key, "Long");
    ASSERT_TRUE(value.Write(strLong.c_str()));
    std::string strText;
    EXPECT_TRUE(value.ReadText(strText));
    EXPECT_EQ(strLong, strText);

    strText = "kept";
    CRegistryStringValue missing(&m_key, "Missing");
    EXPECT_FALSE(missing.ReadText(strText));
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, kPath, "Expand", "x", REG_EXPAND_SZ));
    CRegistryStringValue expand(&m_key, "Expand");
    EXPECT_FALSE(expand.ReadText(strText));
    EXPECT_EQ("kept", strText);
}

TEST_F(RegistryValueTest, DwordRoundTripAndExactType)
{
    CRegistryDwordValue value(&m_key, "Center");
    ASSERT_TRUE(value.Write(0x12345678));
    DWORD dwType = 0;
    std::vector<BYTE> raw;
    ASSERT_TRUE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, kPath, "Center", &dwType, raw));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), dwType);
    EXPECT_EQ(4u, raw.size());
    DWORD dwRead = 0;
    EXPECT_TRUE(value.Read(&dwRead));
    EXPECT_EQ(0x12345678u, dwRead);
}

TEST_F(RegistryValueTest, DwordReadRefusesOtherShapesAndLeavesTheOutput)
{
    const DWORD dwFour = 4;
    const BYTE abEight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_CURRENT_USER, kPath, "Text", REG_SZ, "abc", 4));
    ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_CURRENT_USER, kPath, "Binary", REG_BINARY, &dwFour, 4));
    ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_CURRENT_USER, kPath, "Short", REG_DWORD, &dwFour, 2));
    ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_CURRENT_USER, kPath, "Long", REG_DWORD, abEight, 8));
    for (const char* pszName : {"Text", "Binary", "Short", "Long", "Missing"})
    {
        CRegistryDwordValue value(&m_key, pszName);
        DWORD dwOut = 0xDEADBEEF;
        EXPECT_FALSE(value.Read(&dwOut)) << pszName;
        EXPECT_EQ(0xDEADBEEFu, dwOut) << pszName;
    }
    CRegistryDwordValue missing(&m_key, "Missing");
    DWORD dwOut = 0;
    EXPECT_FALSE(missing.Read(&dwOut));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, missing.GetResult());
}

TEST_F(RegistryValueTest, BinaryReadChecksTypeAndSize)
{
    const BYTE abData[4] = {0x10, 0x20, 0x30, 0x40};
    ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_CURRENT_USER, kPath, "Bytes", REG_BINARY, abData, 4));
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_CURRENT_USER, kPath, "Number", 0x40302010));

    CRegistryBinaryValue bytes(&m_key, "Bytes");
    DWORD dwValue = 0;
    DWORD cbSize = sizeof(dwValue);
    EXPECT_TRUE(bytes.Read(reinterpret_cast<BYTE*>(&dwValue), &cbSize));
    EXPECT_EQ(0x40302010u, dwValue);
    EXPECT_EQ(4u, cbSize);

    BYTE abSmall[3];
    cbSize = sizeof(abSmall);
    EXPECT_FALSE(bytes.Read(abSmall, &cbSize));
    EXPECT_EQ(ERROR_MORE_DATA, bytes.GetResult());

    CRegistryBinaryValue number(&m_key, "Number");
    cbSize = sizeof(dwValue);
    EXPECT_FALSE(number.Read(reinterpret_cast<BYTE*>(&dwValue), &cbSize));
}

TEST_F(RegistryValueTest, RawOperationsAndResultCodes)
{
    CRegistryValue value(&m_key, "Raw");
    EXPECT_FALSE(value.Exists());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, value.GetResult());
    EXPECT_FALSE(value.DeleteValue());

    const BYTE abData[5] = {1, 0, 2, 0, 3};
    ASSERT_TRUE(value.SetValue(REG_BINARY, abData, sizeof(abData)));
    EXPECT_EQ(0, value.GetResult());
    EXPECT_TRUE(value.Exists());
    DWORD cbSize = 0;
    EXPECT_TRUE(value.QuerySize(&cbSize));
    EXPECT_EQ(5u, cbSize);
    BYTE abRead[8] = {};
    DWORD dwType = 0;
    cbSize = sizeof(abRead);
    EXPECT_TRUE(value.QueryValue(&dwType, abRead, &cbSize));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), dwType);
    EXPECT_EQ(5u, cbSize);
    EXPECT_EQ(0, std::memcmp(abData, abRead, 5));

    EXPECT_TRUE(value.DeleteValue());
    EXPECT_FALSE(value.Exists());
    std::vector<BYTE> raw;
    EXPECT_FALSE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, kPath, "Raw", &dwType, raw));
}

TEST_F(RegistryValueTest, ValuesFollowTheKeysCurrentHandle)
{
    CRegistryKey key(HKEY_CURRENT_USER, kPath);
    CRegistryDwordValue value(&key, "Space");   // built before the key is open
    DWORD dwValue = 0;
    EXPECT_FALSE(value.Write(3));
    EXPECT_NE(0, value.GetResult());
    EXPECT_FALSE(value.Read(&dwValue));
    EXPECT_FALSE(value.Exists());
    EXPECT_FALSE(value.DeleteValue());
    DWORD cbSize = 0;
    EXPECT_FALSE(value.QuerySize(&cbSize));
    CRegistryStringValue text(&key, "Description");
    char szText[16] = "kept";
    cbSize = sizeof(szText);
    EXPECT_FALSE(text.Read(szText, &cbSize));
    EXPECT_STREQ("kept", szText);

    ASSERT_TRUE(key.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
    EXPECT_TRUE(value.Write(3));
    EXPECT_TRUE(value.Read(&dwValue));
    EXPECT_EQ(3u, dwValue);
    key.Close();
    EXPECT_FALSE(value.Read(&dwValue));
}
