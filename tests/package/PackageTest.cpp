// The Windows Installer packages, installed, upgraded and removed with msiexec as an
// administrator would, then checked where Windows and the program look: Program Files,
// the machine's registry, the shortcut folders, the list of installed programs.
//
// The packages come from the environment (set by tests/CMakeLists.txt): AURELON_PACKAGE,
// AURELON_UPGRADE_PACKAGE (the same one version higher), AURELON_PACKAGE_X86 (empty: no
// x86 test) and AURELON_FACTORY_PRESETS, the .reg file the packages' presets come from.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "RegistrySandbox.h"
#include "ShellLink.h"
#include "resource.h"
#include "framework/App.h"
#include "support/VersionInfo.h"
#include <sddl.h>
#include <msi.h>
#include <msiquery.h>
#include <objbase.h>
#include <psapi.h>
#include <shlwapi.h>
#include <shlobj.h>
#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <set>

namespace
{
const char kPresetRoot[] = "Software\\Aurelon\\Morvane";
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kInstallFolder[] = "\\Aurelon 3D Audio Control";
const char kGroup[] = "";   // the Programs folder itself, in every language
const char kProfileList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList";
const char kReconciliation[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SecondaryProfileReconciliation";
const char kProfileDir[] = "C:\\aurelon-profile";
const DWORD kCenter = 39;
const DWORD kSpace = 38;
const DWORD kStep = 4369;

// msiexec's results
const DWORD kSuccess = ERROR_SUCCESS;
const DWORD kInstallFailure = ERROR_INSTALL_FAILURE;   // 1603
const DWORD kUnknownProduct = ERROR_UNKNOWN_PRODUCT;   // 1605
const DWORD kFunctionFailed = ERROR_FUNCTION_FAILED;   // 1627, Wine's for a failed custom action

// A path from the environment, as Wine shows the Unix file system (drive Z:).
std::string PathFromEnvironment(const char* pszName)
{
    const char* pszPath = getenv(pszName);
    if (pszPath == nullptr || *pszPath == '\0')
        return std::string();
    std::string path = std::string("Z:") + pszPath;
    for (char& ch : path)
        if (ch == '/')
            ch = '\\';
    return path;
}

std::string Folder(int nCSIDL)
{
    char szPath[MAX_PATH] = "";
    return SUCCEEDED(::SHGetFolderPathA(nullptr, nCSIDL, nullptr, SHGFP_TYPE_CURRENT, szPath))
               ? szPath : "";
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string FileContents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The processor an executable file is built for (0 when it is none).
WORD ImageMachine(const std::string& path)
{
    std::string image = FileContents(path);
    if (image.size() < sizeof(IMAGE_DOS_HEADER))
        return 0;
    const IMAGE_DOS_HEADER* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    size_t nHeaders = static_cast<size_t>(pDos->e_lfanew);
    if (pDos->e_magic != IMAGE_DOS_SIGNATURE || nHeaders + sizeof(IMAGE_FILE_HEADER) + 4 > image.size())
        return 0;
    const IMAGE_FILE_HEADER* pFile = reinterpret_cast<const IMAGE_FILE_HEADER*>(image.data() + nHeaders + 4);
    return pFile->Machine;
}

// The last lines of a text file, for a test's output.
std::string Tail(const std::string& path, size_t nLines)
{
    std::string text = FileContents(path);
    size_t nStart = text.size();
    for (size_t n = 0; n <= nLines && nStart > 0; )
        if (text[--nStart] == '\n')
            ++n;
    return text.substr(nStart);
}

// The verbose log of the last msiexec run.
std::string MsiexecLog()
{
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szTemp);
    return std::string(szTemp) + "aurelon-msiexec.log";
}

// Runs msiexec with arguments and returns its exit code, or ~0 when it does not start or
// end. Every run keeps a verbose log; a run that goes wrong otherwise than the tests ask
// of it prints why and the end of its log, so that a failure on another machine can be read
// from that machine's output.
DWORD Msiexec(const std::string& arguments)
{
    const std::string log = MsiexecLog();
    ::DeleteFileA(log.c_str());

    CProcess msiexec;
    DWORD dwCode = ~0u;
    if (!msiexec.Start("msiexec.exe " + arguments + " /qn /l*v \"" + log + "\""))
        std::cerr << "msiexec " << arguments << ": did not start\n";
    else if (!msiexec.WaitForExit(60000, &dwCode))
        std::cerr << "msiexec " << arguments << ": did not end within a minute\n";
    if (dwCode != kSuccess && dwCode != kInstallFailure && dwCode != kUnknownProduct && dwCode != kFunctionFailed)
        std::cerr << "msiexec " << arguments << ": exit code " << dwCode << "; its log ends:\n"
                  << Tail(log, 40) << "\n";
    return dwCode;
}

DWORD Install(const std::string& package) { return Msiexec("/i \"" + package + "\""); }
DWORD Uninstall(const std::string& package, const char* pszProperties = "")
{
    return Msiexec("/x \"" + package + "\" " + pszProperties);
}

// 64-bit Wine runs no 32-bit code, so the x86 package's custom actions (ending a running
// program, removing the profiles' shortcuts) cannot run there: it goes without them.
const char kNoCustomActions[] = "AURELON_CLOSE_PROGRAM=0 AURELON_REMOVE_USER_SHORTCUTS=0";

// A property of a package file (ProductVersion, ProductCode, ...).
std::string PackageProperty(const std::string& package, const char* pszProperty)
{
    MSIHANDLE hDatabase = 0, hView = 0, hRecord = 0;
    std::string value;
    std::string query = std::string("SELECT `Value` FROM `Property` WHERE `Property` = '") +
                        pszProperty + "'";
    if (::MsiOpenDatabaseA(package.c_str(), MSIDBOPEN_READONLY, &hDatabase) == ERROR_SUCCESS &&
        ::MsiDatabaseOpenViewA(hDatabase, query.c_str(), &hView) == ERROR_SUCCESS &&
        ::MsiViewExecute(hView, 0) == ERROR_SUCCESS && ::MsiViewFetch(hView, &hRecord) == ERROR_SUCCESS)
    {
        char szValue[256] = "";
        DWORD cch = sizeof(szValue);
        if (::MsiRecordGetStringA(hRecord, 1, szValue, &cch) == ERROR_SUCCESS)
            value = szValue;
    }
    for (MSIHANDLE h : { hRecord, hView, hDatabase })
        if (h != 0)
            ::MsiCloseHandle(h);
    return value;
}

// A file's fixed version record (all 0 when it has none).
VS_FIXEDFILEINFO FixedVersion(const std::string& path)
{
    VS_FIXEDFILEINFO info = {};
    DWORD dwHandle = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeA(path.c_str(), &dwHandle));
    VS_FIXEDFILEINFO* pInfo = nullptr;
    UINT cb = 0;
    if (!block.empty() && ::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) &&
        ::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&pInfo), &cb))
        info = *pInfo;
    return info;
}

// The first three numbers of a file's product version, as Windows Installer writes versions.
std::string FileProductVersion(const std::string& path)
{
    VS_FIXEDFILEINFO info = FixedVersion(path);
    if (info.dwProductVersionMS == 0 && info.dwProductVersionLS == 0)
        return std::string();
    return std::to_string(HIWORD(info.dwProductVersionMS)) + "." +
           std::to_string(LOWORD(info.dwProductVersionMS)) + "." +
           std::to_string(HIWORD(info.dwProductVersionLS));
}

std::string CompanyName(const std::string& path)
{
    CVersionInfo info;
    char szText[256] = "";
    if (!info.Load(path.c_str(), nullptr) || !info.GetCompanyName(szText, sizeof(szText), nullptr))
        return std::string();
    return szText;
}

// The text values of a REGEDIT4 file below HKEY_LOCAL_MACHINE: key path -> name -> text.
using RegistryTexts = std::map<std::string, std::map<std::string, std::string>>;
RegistryTexts ReadRegFile(const std::string& path)
{
    const std::string hive = "[HKEY_LOCAL_MACHINE\\";
    RegistryTexts texts;
    std::ifstream file(path);
    std::string line, key;
    while (std::getline(file, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, hive.size(), hive) == 0 && line.back() == ']')
            key = line.substr(hive.size(), line.size() - hive.size() - 1);
        size_t nEquals = line.find("\"=\"");
        if (!key.empty() && line.size() > 5 && line[0] == '"' && nEquals != std::string::npos)
            texts[key][line.substr(1, nEquals - 1)] = line.substr(nEquals + 3, line.size() - nEquals - 4);
    }
    return texts;
}

// One entry of the machine's list of installed programs.
struct InstalledEntry
{
    std::string strProductCode, strVersion, strPublisher, strIcon;
};

std::string RegistryText(HKEY hKey, const char* pszName)
{
    char szText[512] = "";
    DWORD cb = sizeof(szText) - 1, dwType = 0;
    if (::RegQueryValueExA(hKey, pszName, nullptr, &dwType, reinterpret_cast<BYTE*>(szText), &cb) != ERROR_SUCCESS ||
        dwType != REG_SZ)
        return std::string();
    return szText;
}

// The program's entries under installed programs, in both registry views.
std::vector<InstalledEntry> InstalledEntries()
{
    std::vector<InstalledEntry> entries;
    for (REGSAM samView : { KEY_WOW64_64KEY, KEY_WOW64_32KEY })
    {
        if (sizeof(void*) == 4 && samView == KEY_WOW64_32KEY)
            break;  // 32-bit Windows: both views are the one registry
        HKEY hList = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstall, 0, KEY_READ | samView, &hList) != ERROR_SUCCESS)
            continue;
        char szName[256];
        for (DWORD i = 0; ::RegEnumKeyA(hList, i, szName, sizeof(szName)) == ERROR_SUCCESS; ++i)
        {
            HKEY hEntry = nullptr;
            if (::RegOpenKeyExA(hList, szName, 0, KEY_READ | samView, &hEntry) != ERROR_SUCCESS)
                continue;
            if (RegistryText(hEntry, "DisplayName") == AfxLoadString(IDS_PRODUCT))
            {
                InstalledEntry entry = { szName, RegistryText(hEntry, "DisplayVersion"),
                                         RegistryText(hEntry, "Publisher"), "" };
                char szIcon[MAX_PATH] = "";
                DWORD cch = MAX_PATH;
                if (::MsiGetProductInfoA(szName, INSTALLPROPERTY_PRODUCTICON, szIcon, &cch) == ERROR_SUCCESS)
                    entry.strIcon = szIcon;
                if (std::none_of(entries.begin(), entries.end(), [&](const InstalledEntry& e) {
                        return e.strProductCode == entry.strProductCode; }))
                    entries.push_back(entry);
            }
            ::RegCloseKey(hEntry);
        }
        ::RegCloseKey(hList);
    }
    return entries;
}

// Every value below the user's preset keys, as name=type:bytes lines, to compare whole.
std::string UserPresets()
{
    std::string dump;
    for (int i = 1; i <= 3; ++i)
    {
        std::string key = std::string(kPresetRoot) + "\\Preset" + std::to_string(i);
        for (const char* pszName : { "Center", "Space", "Description" })
        {
            std::vector<BYTE> data;
            DWORD dwType = 0;
            if (CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, key.c_str(), pszName, &dwType, data))
                dump += key + "\\" + pszName + "=" + std::to_string(dwType) + ":" +
                        std::string(data.begin(), data.end()) + "\n";
        }
    }
    return dump;
}

// Where one architecture's package puts things.
struct PackageLayout
{
    int nProgramFiles;     // CSIDL of the Program Files folder
    REGSAM samView;        // registry view of the factory presets
    WORD wMachine;         // the program's processor
};
const PackageLayout kLayout32 = { CSIDL_PROGRAM_FILESX86, KEY_WOW64_32KEY, IMAGE_FILE_MACHINE_I386 };
// This build's own package: the x64 one, or in a 32-bit build the x86 one on 32-bit Windows,
// which has one Program Files folder and one registry view.
const PackageLayout kLayout = sizeof(void*) == 8
    ? PackageLayout{ CSIDL_PROGRAM_FILES, KEY_WOW64_64KEY, IMAGE_FILE_MACHINE_AMD64 }
    : PackageLayout{ CSIDL_PROGRAM_FILES, 0, IMAGE_FILE_MACHINE_I386 };

class PackageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::CoInitialize(nullptr);
        m_package = PathFromEnvironment("AURELON_PACKAGE");
        m_upgrade = PathFromEnvironment("AURELON_UPGRADE_PACKAGE");
        m_package32 = PathFromEnvironment("AURELON_PACKAGE_X86");
        ASSERT_TRUE(FileExists(m_package)) << m_package;
        ASSERT_TRUE(FileExists(m_upgrade)) << m_upgrade;
        m_factory = ReadRegFile(PathFromEnvironment("AURELON_FACTORY_PRESETS"));
        ASSERT_EQ(m_factory.size(), 3u);
        RemoveEverything();
        m_linkName = "\\" + AfxLoadString(IDS_PRODUCT) + ".lnk";
        // Windows puts a per-machine package's shortcuts in the machine's folders; Wine's
        // installer resolves those folders to the installing user's. Either is the package's.
        m_startupFolders = { Folder(CSIDL_COMMON_STARTUP), Folder(CSIDL_STARTUP) };
        m_groupFolders = { Folder(CSIDL_COMMON_PROGRAMS) + kGroup, Folder(CSIDL_PROGRAMS) + kGroup };
        for (const std::string& folder : m_startupFolders)
            ::DeleteFileA((folder + m_linkName).c_str());
        for (const std::string& folder : m_groupFolders)
            ::DeleteFileA((folder + m_linkName).c_str());
        ASSERT_TRUE(InstalledEntries().empty());
    }
    void TearDown() override
    {
        if (m_program.Process().IsRunning())
            m_program.Exit();
        RemoveEverything();
        if (!m_profileLink.empty())
        {
            CRegistrySandbox::DeleteKey(HKEY_LOCAL_MACHINE, kProfileList);
            CRegistrySandbox::DeleteKey(HKEY_CURRENT_USER, kReconciliation);
            ::DeleteFileA(m_profileLink.c_str());
            ::RemoveDirectoryA((std::string(kProfileDir) + "\\Startup").c_str());
            ::RemoveDirectoryA(kProfileDir);
        }
        ::CoUninitialize();
    }

    // A profile list with one profile (as Windows with profiles has) sends "-install" to a
    // Startup folder of its own, apart from the package's; returns its shortcut's path.
    std::string SendInstallToOwnProfile()
    {
        m_profileLink = std::string(kProfileDir) + "\\Startup" + m_linkName;
        ::SHCreateDirectoryExA(nullptr, (std::string(kProfileDir) + "\\Startup").c_str(), nullptr);
        EXPECT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, (std::string(kProfileList) + "\\User").c_str(),
                                              "ProfileImagePath", kProfileDir));
        EXPECT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, (std::string(kReconciliation) + "\\Startup").c_str(),
                                              "LocalFile", "Startup"));
        return m_profileLink;
    }

    static bool RunInstallOption(const std::string& program)
    {
        CProcess install;
        return install.Start("\"" + program + "\" -install") && install.WaitForExit(20000);
    }

    // Ends a program that the package started, as its Exit does.
    static void CloseProgram(HWND hMain)
    {
        DWORD dwProcessId = 0;
        ::GetWindowThreadProcessId(hMain, &dwProcessId);
        HANDLE hProcess = ::OpenProcess(SYNCHRONIZE, FALSE, dwProcessId);
        ::PostMessageA(hMain, WM_CLOSE, 0, 0);
        EXPECT_EQ(::WaitForSingleObject(hProcess, 15000), WAIT_OBJECT_0);
        ::CloseHandle(hProcess);
    }

    // Leaves no package installed (whatever a failed test left behind).
    void RemoveEverything()
    {
        for (const InstalledEntry& entry : InstalledEntries())
            Msiexec("/x " + entry.strProductCode + " " + kNoCustomActions);
    }

    std::string ProgramPath(const PackageLayout& layout) const
    {
        return Folder(layout.nProgramFiles) + kInstallFolder + "\\Aurelon3D.exe";
    }

    // The shortcuts of one set: the existing copies among the candidate folders.
    std::vector<std::string> Links(const std::vector<std::string>& folders) const
    {
        std::vector<std::string> links;
        for (const std::string& folder : folders)
            if (FileExists(folder + m_linkName))
                links.push_back(folder + m_linkName);
        return links;
    }

    // Everything an installed package of this layout and version puts in place.
    void ExpectInstalled(const PackageLayout& layout, const std::string& package)
    {
        std::string program = ProgramPath(layout);
        ASSERT_TRUE(FileExists(program)) << program;
        EXPECT_EQ(ImageMachine(program), layout.wMachine);
        if (layout.wMachine == kLayout.wMachine)
        {
            EXPECT_TRUE(FileContents(program) == FileContents(BinPath("Aurelon3D.exe")));
        }
        for (const auto& key : m_factory)
            for (const auto& value : key.second)
                EXPECT_EQ(MachineText(layout, key.first, value.first), value.second)
                    << key.first << "\\" << value.first;

        for (const auto* pFolders : { &m_startupFolders, &m_groupFolders })
        {
            std::vector<std::string> links = Links(*pFolders);
            ASSERT_EQ(links.size(), 1u) << pFolders->front();
            std::string target, description;
            ASSERT_TRUE(ReadLink(links[0], target, description)) << links[0];
            EXPECT_EQ(0, lstrcmpiA(target.c_str(), program.c_str())) << target;
            EXPECT_EQ(description, AfxLoadString(IDS_PRODUCT));
        }

        std::vector<InstalledEntry> entries = InstalledEntries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].strProductCode, PackageProperty(package, "ProductCode"));
        EXPECT_EQ(entries[0].strVersion, PackageProperty(package, "ProductVersion"));
        EXPECT_EQ(entries[0].strPublisher, CompanyName(program));
        EXPECT_TRUE(FileExists(entries[0].strIcon)) << entries[0].strIcon;
    }

    // Nothing of any package is left: files, folders, machine keys, shortcuts, entries.
    void ExpectRemoved(const PackageLayout& layout)
    {
        EXPECT_FALSE(FileExists(Folder(layout.nProgramFiles) + kInstallFolder));
        EXPECT_FALSE(MachineKeyExists(layout, "Software\\Aurelon"));
        EXPECT_TRUE(Links(m_startupFolders).empty());
        EXPECT_TRUE(Links(m_groupFolders).empty());
        EXPECT_TRUE(InstalledEntries().empty());
    }

    std::string MachineText(const PackageLayout& layout, const std::string& key, const std::string& name)
    {
        HKEY hKey = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | layout.samView, &hKey) != ERROR_SUCCESS)
            return "(no key)";
        std::string text = RegistryText(hKey, name.c_str());
        ::RegCloseKey(hKey);
        return text;
    }

    // A value of a factory preset, as the packages' source holds it.
    std::string Factory(int nPreset, const char* pszName)
    {
        return m_factory[std::string(kPresetRoot) + "\\Preset" + std::to_string(nPreset)][pszName];
    }

    // Sets the access rights of a machine key (SDDL); its owner may always set them again.
    bool SetMachineKeyAccess(const PackageLayout& layout, const std::string& key, const char* pszSddl)
    {
        PSECURITY_DESCRIPTOR pSD = nullptr;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(pszSddl, SDDL_REVISION_1, &pSD, nullptr))
            return false;
        HKEY hKey = nullptr;
        bool bOK = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, WRITE_DAC | layout.samView, &hKey) ==
                       ERROR_SUCCESS &&
                   ::RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, pSD) == ERROR_SUCCESS;
        if (hKey != nullptr)
            ::RegCloseKey(hKey);
        ::LocalFree(pSD);
        return bOK;
    }

    bool MachineKeyWritable(const PackageLayout& layout, const std::string& key)
    {
        HKEY hKey = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS | layout.samView, &hKey) !=
            ERROR_SUCCESS)
            return false;
        ::RegCloseKey(hKey);
        return true;
    }

    bool MachineKeyExists(const PackageLayout& layout, const char* pszKey)
    {
        HKEY hKey = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszKey, 0, KEY_READ | layout.samView, &hKey) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(hKey);
        return true;
    }

    std::string m_package, m_upgrade, m_package32, m_linkName, m_profileLink;
    RegistryTexts m_factory;   // the packages' presets, read from their source
    std::vector<std::string> m_startupFolders, m_groupFolders;
    CAurelonProgram m_program;   // its construction clears both hives' preset keys
};
}

TEST_F(PackageTest, InstallRunUpgradeAndUninstallKeepTheUsersPresets)
{
    // The user's own preset 3 exists before the package does.
    std::string user3 = std::string(kPresetRoot) + "\\Preset3";
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_CURRENT_USER, user3.c_str(), "Center", 1));
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_CURRENT_USER, user3.c_str(), "Space", 2));
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, user3.c_str(), "Description", "Mine"));

    ASSERT_EQ(Install(m_package), kSuccess);
    ASSERT_NO_FATAL_FAILURE(ExpectInstalled(kLayout, m_package));
    EXPECT_EQ(PackageProperty(m_package, "ProductVersion"), FileProductVersion(ProgramPath(kLayout)));

    // The installed program shows the factory presets and applies their levels.
    m_program.UseExecutable(ProgramPath(kLayout));
    ASSERT_TRUE(m_program.StartResident());
    EXPECT_EQ(m_program.ToolTipText(IDC_PRESET1), Factory(1, "Description"));
    EXPECT_EQ(m_program.ToolTipText(IDC_PRESET2), Factory(2, "Description"));
    EXPECT_EQ(m_program.ToolTipText(IDC_PRESET3), "Mine");
    m_program.Click(IDC_PRESET2);
    DWORD dwCenter = std::stoul(Factory(2, "Center"));
    DWORD dwSpace = std::stoul(Factory(2, "Space"));
    EXPECT_EQ(m_program.ChipValue(kCenter), dwCenter * kStep);
    EXPECT_EQ(m_program.ChipValue(kSpace), dwSpace * kStep);
    EXPECT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_CENTER) == static_cast<int>(dwCenter) &&
                                       m_program.SliderPos(IDC_SPACE) == static_cast<int>(dwSpace); }, 5000));
    ASSERT_TRUE(m_program.Exit());
    const std::string userPresets = UserPresets();   // the user's own, kept
    ASSERT_NE(userPresets.find("Mine"), std::string::npos);

    // The same package again changes nothing.
    EXPECT_EQ(Install(m_package), kSuccess);
    ASSERT_NO_FATAL_FAILURE(ExpectInstalled(kLayout, m_package));

    // A newer package replaces the installed one in place.
    EXPECT_EQ(Install(m_upgrade), kSuccess);
    ASSERT_NO_FATAL_FAILURE(ExpectInstalled(kLayout, m_upgrade));
    EXPECT_EQ(UserPresets(), userPresets);

    // The older package refuses to go over the newer one and leaves it whole.
    EXPECT_EQ(Install(m_package), kInstallFailure);
    ASSERT_NO_FATAL_FAILURE(ExpectInstalled(kLayout, m_upgrade));

    EXPECT_EQ(Uninstall(m_upgrade), kSuccess);
    ExpectRemoved(kLayout);
    EXPECT_EQ(UserPresets(), userPresets);

    // Removing what is not installed is refused and touches nothing: by product code, as
    // the uninstall entry does it; by package file Windows answers the same, Wine 8 with 0.
    EXPECT_EQ(Msiexec("/x " + PackageProperty(m_upgrade, "ProductCode")), kUnknownProduct);
    DWORD dwResult = Uninstall(m_upgrade);
    EXPECT_TRUE(dwResult == kUnknownProduct || dwResult == kSuccess) << dwResult;
    ExpectRemoved(kLayout);
    EXPECT_EQ(UserPresets(), userPresets);
}

TEST_F(PackageTest, AStandardUserGetsTheFactoryPresets)
{
    ASSERT_EQ(Install(m_package), kSuccess);
    // As a standard user sees the machine's keys: readable, not writable.
    for (const auto& key : m_factory)
    {
        ASSERT_TRUE(SetMachineKeyAccess(kLayout, key.first, "D:P(A;;KR;;;WD)")) << key.first;
        ASSERT_FALSE(MachineKeyWritable(kLayout, key.first)) << key.first;
    }
    m_program.UseExecutable(ProgramPath(kLayout));
    ASSERT_TRUE(m_program.StartResident());
    EXPECT_EQ(m_program.ToolTipText(IDC_PRESET1), Factory(1, "Description"));

    // "Save Settings" over preset 1 at other levels, then "Restore to Default": the factory
    // levels again, without the "no default settings" notice.
    m_program.Scroll(IDC_CENTER, 1);
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET1, 1));   // "&Save Settings"
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET1, 2));   // "&Restore to Default"
    m_program.Sync();
    for (HWND hDlg : FindTopWindows("#32770", AfxLoadString(IDS_TITLE_SRS).c_str(), m_program.Process().GetId()))
        EXPECT_EQ(hDlg, m_program.Panel()) << "a notice: " << DialogMessageText(hDlg);
    ASSERT_TRUE(m_program.Exit());
    std::vector<BYTE> center;
    DWORD dwType = 0;
    ASSERT_TRUE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, (std::string(kPresetRoot) + "\\Preset1").c_str(),
                                         "Center", &dwType, center));
    ASSERT_EQ(center.size(), sizeof(DWORD));
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(center.data()), std::stoul(Factory(1, "Center")));

    for (const auto& key : m_factory)
        EXPECT_TRUE(SetMachineKeyAccess(kLayout, key.first, "D:P(A;;KA;;;WD)")) << key.first;
    EXPECT_EQ(Uninstall(m_package), kSuccess);
    ExpectRemoved(kLayout);
}

TEST_F(PackageTest, InstallWhileTheProgramRunsCompletesAndLeavesItRunning)
{
    ASSERT_TRUE(m_program.StartResident());   // the bare executable, not installed
    ASSERT_EQ(Install(m_package), kSuccess);
    ASSERT_NO_FATAL_FAILURE(ExpectInstalled(kLayout, m_package));
    EXPECT_TRUE(m_program.Process().IsRunning());
    EXPECT_NE(m_program.Panel(), nullptr);
    ASSERT_TRUE(m_program.Exit());
    EXPECT_EQ(Uninstall(m_package), kSuccess);
    ExpectRemoved(kLayout);
}

TEST_F(PackageTest, X86PackageUsesThe32BitFoldersAndRegistry)
{
    if (m_package32.empty())
        GTEST_SKIP() << "AURELON_PACKAGE_X86 is empty";
    ASSERT_TRUE(FileExists(m_package32)) << m_package32;
    ASSERT_EQ(Msiexec("/i \"" + m_package32 + "\" " + kNoCustomActions), kSuccess);
    ASSERT_NO_FATAL_FAILURE(ExpectInstalled(kLayout32, m_package32));
    EXPECT_FALSE(FileExists(ProgramPath(kLayout)));
    EXPECT_FALSE(MachineKeyExists(kLayout, "Software\\Aurelon"));

    // The x64 package of the same version does not install beside it (the shortcuts are one).
    EXPECT_EQ(Install(m_package), kInstallFailure);
    ASSERT_NO_FATAL_FAILURE(ExpectInstalled(kLayout32, m_package32));

    EXPECT_EQ(Uninstall(m_package32, kNoCustomActions), kSuccess);
    ExpectRemoved(kLayout32);
}

TEST_F(PackageTest, UpgradeAndUninstallEndTheRunningProgramFirst)
{
    ASSERT_EQ(Install(m_package), kSuccess);
    m_program.UseExecutable(ProgramPath(kLayout));
    DWORD dwExitCode = ~0u;

    // Its file in use, the old program would outlive the upgrade: it is ended as by "Exit".
    ASSERT_TRUE(m_program.StartResident());
    EXPECT_EQ(Install(m_upgrade), kSuccess);
    EXPECT_TRUE(m_program.Process().WaitForExit(10000, &dwExitCode));
    EXPECT_EQ(dwExitCode, 0u);
    ASSERT_NO_FATAL_FAILURE(ExpectInstalled(kLayout, m_upgrade));
    EXPECT_EQ(UserPresets(), "");   // nothing was changed, so nothing is written

    // It comes back, from the new file, with its icon.
    HWND hBack = nullptr;
    DWORD dwBack = 0;
    EXPECT_TRUE(WaitUntil([&] {
        hBack = FindTopWindow("Aurelon3DAudioControl", nullptr);
        ::GetWindowThreadProcessId(hBack, &dwBack);
        return hBack != nullptr && FindTopWindow("TaskBarButtonWindowClass", nullptr, dwBack) != nullptr;
    }, 15000));
    CloseProgram(hBack);

    // A refused install leaves the running program alone.
    ASSERT_TRUE(m_program.StartResident());
    EXPECT_EQ(Install(m_package), kInstallFailure);
    EXPECT_TRUE(m_program.Process().IsRunning());

    // Uninstalling ends it too, and then nothing is left behind.
    EXPECT_EQ(Uninstall(m_upgrade), kSuccess);
    EXPECT_TRUE(m_program.Process().WaitForExit(10000, &dwExitCode));
    EXPECT_EQ(dwExitCode, 0u);
    ExpectRemoved(kLayout);
}

// Windows Installer's validation (ICE) is not run here: the rules that this package's layout
// must keep are checked on its tables.
namespace
{
using Rows = std::vector<std::vector<std::string>>;

Rows QueryPackage(const std::string& package, const char* pszQuery)
{
    Rows rows;
    MSIHANDLE hDatabase = 0, hView = 0, hRecord = 0;
    if (::MsiOpenDatabaseA(package.c_str(), MSIDBOPEN_READONLY, &hDatabase) == ERROR_SUCCESS &&
        ::MsiDatabaseOpenViewA(hDatabase, pszQuery, &hView) == ERROR_SUCCESS && ::MsiViewExecute(hView, 0) == ERROR_SUCCESS)
        while (::MsiViewFetch(hView, &hRecord) == ERROR_SUCCESS)
        {
            rows.emplace_back();
            for (UINT i = 1; i <= ::MsiRecordGetFieldCount(hRecord); ++i)
            {
                char szText[512] = "";
                DWORD cch = sizeof(szText);
                ::MsiRecordGetStringA(hRecord, i, szText, &cch);
                rows.back().push_back(szText);
            }
            ::MsiCloseHandle(hRecord);
        }
    for (MSIHANDLE h : { hView, hDatabase })
        if (h != 0)
            ::MsiCloseHandle(h);
    return rows;
}

// A file's version as the File table holds it ("" when it has none).
std::string FileVersion(const std::string& path)
{
    VS_FIXEDFILEINFO info = FixedVersion(path);
    if (info.dwFileVersionMS == 0 && info.dwFileVersionLS == 0)
        return std::string();
    return std::to_string(HIWORD(info.dwFileVersionMS)) + "." + std::to_string(LOWORD(info.dwFileVersionMS)) +
           "." + std::to_string(HIWORD(info.dwFileVersionLS)) + "." + std::to_string(LOWORD(info.dwFileVersionLS));
}

// The package's breaches of ICE38, ICE43, ICE57, ICE64 and ICE91, and program files
// without the version of the built file; one text each.
std::vector<std::string> LayoutFaults(const std::string& package)
{
    const std::set<std::string> kProfileFolders = { "StartupFolder", "ProgramMenuFolder", "StartMenuFolder",
        "DesktopFolder", "AppDataFolder", "LocalAppDataFolder", "PersonalFolder", "FavoritesFolder", "SendToFolder",
        "TemplateFolder", "RecentFolder", "NetHoodFolder", "PrintHoodFolder", "MyPicturesFolder" };
    // The profile folders that stay the user's in a per-machine install.
    const std::set<std::string> kUserOnlyFolders = { "AppDataFolder", "LocalAppDataFolder", "PersonalFolder",
        "FavoritesFolder", "SendToFolder", "TemplateFolder", "RecentFolder", "NetHoodFolder", "PrintHoodFolder",
        "MyPicturesFolder" };
    std::map<std::string, std::string> parents;
    for (const auto& row : QueryPackage(package, "SELECT `Directory`, `Directory_Parent` FROM `Directory`"))
        parents[row[0]] = row[1];
    auto below = [&](std::string dir, const std::set<std::string>& folders) {
        for (int n = 0; !dir.empty() && n < 32; ++n, dir = parents[dir])
            if (folders.count(dir) != 0)
                return true;
        return false;
    };
    std::map<std::string, int> roots;            // registry row -> root (1: HKEY_CURRENT_USER)
    std::set<std::string> hkcuComponents;        // components that write below it
    for (const auto& row : QueryPackage(package, "SELECT `Registry`, `Root`, `Component_` FROM `Registry`"))
    {
        roots[row[0]] = std::stoi(row[1]);
        if (roots[row[0]] == 1)
            hkcuComponents.insert(row[2]);
    }

    std::vector<std::string> faults;
    Rows shortcuts = QueryPackage(package, "SELECT `Shortcut`, `Directory_`, `Component_`, `Target` FROM `Shortcut`");
    Rows files = QueryPackage(package, "SELECT `File`, `Component_`, `FileName`, `Version` FROM `File`");
    Rows components = QueryPackage(package, "SELECT `Component`, `Directory_`, `Attributes`, `KeyPath` FROM `Component`");
    std::map<std::string, std::string> componentDirs;
    for (const auto& c : components)
        componentDirs[c[0]] = c[1];
    for (const auto& c : components)
    {
        const bool bRegistryKey = (std::stoi(c[2]) & 4) != 0;
        const bool bHkcuKey = bRegistryKey && roots.count(c[3]) != 0 && roots[c[3]] == 1;
        const bool bMachineKey = bRegistryKey ? roots.count(c[3]) != 0 && roots[c[3]] != 1
                                              : !c[3].empty() && !below(c[1], kProfileFolders);
        bool bUserData = below(c[1], kProfileFolders) || hkcuComponents.count(c[0]) != 0;
        bool bLinkInProfile = false;
        for (const auto& s : shortcuts)
            if (s[2] == c[0] && below(s[1], kProfileFolders))
                bUserData = bLinkInProfile = true;
        if (below(c[1], kProfileFolders) && !bHkcuKey)
            faults.push_back("ICE38: " + c[0] + " is in a profile without an HKCU key path");
        if (bLinkInProfile && !bHkcuKey)
            faults.push_back("ICE43: " + c[0] + " has a shortcut in a profile without an HKCU key path");
        if (bUserData && bMachineKey)
            faults.push_back("ICE57: " + c[0] + " has per-user data and a per-machine key path");
    }
    std::set<std::string> removedDirs;
    for (const auto& row : QueryPackage(package, "SELECT `DirProperty` FROM `RemoveFile`"))
        removedDirs.insert(row[0]);
    for (const auto& dir : parents)
        if (kProfileFolders.count(dir.first) == 0 && below(dir.first, kProfileFolders) && removedDirs.count(dir.first) == 0)
            faults.push_back("ICE64: " + dir.first + " is in a profile and never removed");
    for (const auto& s : shortcuts)
        if (below(s[1], kUserOnlyFolders))
            faults.push_back("ICE91: shortcut " + s[0] + " goes to one user's folder");
    for (const auto& f : files)
    {
        if (below(componentDirs[f[1]], kUserOnlyFolders))
            faults.push_back("ICE91: file " + f[0] + " goes to one user's folder");
        std::string name = f[2].substr(f[2].find('|') + 1);
        std::string built = FileVersion(BinPath(name.c_str()));
        if (f[3] != built)
            faults.push_back("version: " + f[0] + " has \"" + f[3] + "\", the file " + built);
    }
    return faults;
}

std::set<std::string> ComponentIds(const std::string& package)
{
    std::set<std::string> ids;
    for (const auto& row : QueryPackage(package, "SELECT `ComponentId` FROM `Component`"))
        ids.insert(row[0]);
    return ids;
}
}

TEST(PackageRulesTest, LayoutKeepsWindowsInstallersRules)
{
    const std::string package64 = PathFromEnvironment("AURELON_PACKAGE");
    const std::string package32 = PathFromEnvironment("AURELON_PACKAGE_X86");
    ASSERT_TRUE(FileExists(package64)) << package64;
    // The x86 package is required wherever this build names it (its own entry reports the
    // skip where it names none).
    ASSERT_TRUE(package32.empty() || FileExists(package32)) << package32;
    for (const std::string& package : { package64, package32 })
    {
        if (package.empty())
            continue;
        ASSERT_FALSE(QueryPackage(package, "SELECT `Component` FROM `Component`").empty()) << package;
        for (const std::string& fault : LayoutFaults(package))
            ADD_FAILURE() << package << ": " << fault;
    }
    // Components that differ in their 64-bit attribute are different components.
    if (!package32.empty())
    {
        for (const std::string& id : ComponentIds(package64))
            EXPECT_EQ(ComponentIds(package32).count(id), 0u) << "both architectures use " << id;
    }
}

// "-install" writes into the profiles, the package into the machine's folders: in either
// order one Startup entry is left, and none after the uninstall.
TEST_F(PackageTest, OneStartupEntryWhicheverWayItWasInstalled)
{
    const std::string profileLink = SendInstallToOwnProfile();
    auto runInstaller = [] { return RunInstallOption(BinPath("Aurelon3D.exe")); };
    for (bool bPackageFirst : { false, true })
    {
        if (bPackageFirst)
        {
            ASSERT_EQ(Install(m_package), kSuccess);
            ASSERT_TRUE(runInstaller());
        }
        else
        {
            ASSERT_TRUE(runInstaller());
            ASSERT_TRUE(FileExists(profileLink)) << profileLink;
            ASSERT_EQ(Install(m_package), kSuccess);
        }
        EXPECT_FALSE(FileExists(profileLink)) << "package first: " << bPackageFirst;
        EXPECT_EQ(Links(m_startupFolders).size(), 1u) << "package first: " << bPackageFirst;
        EXPECT_EQ(Uninstall(m_package), kSuccess);
        EXPECT_FALSE(FileExists(profileLink));
        EXPECT_TRUE(Links(m_startupFolders).empty());
    }
}

// A program that does not end when asked (its thread stopped here) fails the upgrade at the
// close step, before anything has changed: the older version stays installed and whole, and
// the program is still there to be asked again.
TEST_F(PackageTest, AProgramThatDoesNotEndStopsTheUpgradeBeforeAnyChange)
{
    ASSERT_EQ(Install(m_package), kSuccess);
    m_program.UseExecutable(ProgramPath(kLayout));
    ASSERT_TRUE(m_program.StartResident());
    HANDLE hThread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE,
                                  ::GetWindowThreadProcessId(m_program.MainWnd(), nullptr));
    ASSERT_NE(hThread, nullptr);
    ASSERT_NE(::SuspendThread(hThread), static_cast<DWORD>(-1));
    EXPECT_EQ(Install(m_upgrade), kInstallFailure);
    EXPECT_TRUE(m_program.Process().IsRunning());
    ::ResumeThread(hThread);
    ::CloseHandle(hThread);
    ASSERT_NO_FATAL_FAILURE(ExpectInstalled(kLayout, m_package));
    EXPECT_TRUE(m_program.Process().WaitForExit(10000));   // the close request was taken now
}

// An install, upgrade or uninstall that fails once its files are in place (the failing
// package's last step) ends with a failure and leaves everything as it was, the shortcut
// that "-install" wrote included, and a resident program running again. Wine's msiexec
// rolls back only a failed install: there, a failed upgrade or uninstall is checked for what
// it shows, the shortcut of "-install" kept until the commit and the program's restart.
TEST_F(PackageTest, AFailedInstallUpgradeOrUninstallLeavesEverythingAsItWas)
{
    const std::string failing = PathFromEnvironment("AURELON_FAILING_PACKAGE");
    const bool bWine = ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    const std::string userLink = SendInstallToOwnProfile();
    const struct
    {
        const char* pszName;
        const std::string* pInstalled;   // installed before, or none
        const char* pszCommand;
        bool bWineRollsBack, bWineKeepsUserLink;   // the older version's removal commits at once
    } cases[] = { { "install", nullptr, "/i", true, true }, { "upgrade", &m_package, "/i", false, false },
                  { "uninstall", &failing, "/x", false, true } };
    for (const auto& c : cases)
        for (bool bResident : { false, true })
        {
            SCOPED_TRACE(std::string(c.pszName) + (bResident ? ", resident" : ""));
            RemoveEverything();
            ASSERT_TRUE(RunInstallOption(BinPath("Aurelon3D.exe")));
            if (c.pInstalled != nullptr)
            {
                ASSERT_EQ(Msiexec("/i \"" + *c.pInstalled + "\" AURELON_REMOVE_USER_SHORTCUTS=0"), kSuccess);
            }
            m_program.UseExecutable(c.pInstalled != nullptr ? ProgramPath(kLayout) : BinPath("Aurelon3D.exe"));
            ASSERT_TRUE(!bResident || m_program.StartResident());
            const DWORD dwCode = Msiexec(std::string(c.pszCommand) + " \"" + failing + "\" AURELON_TEST_FAIL=1");
            EXPECT_TRUE(dwCode == kInstallFailure || dwCode == kFunctionFailed) << dwCode;
            HWND hMain = nullptr;
            const bool bRunning = WaitUntil([&] { return (hMain = FindTopWindow("Aurelon3DAudioControl", nullptr)) != nullptr; },
                                            bResident ? 15000 : 2000);
            EXPECT_EQ(FileExists(userLink), !bWine || c.bWineKeepsUserLink);
            if (!bWine || c.bWineRollsBack)
            {
                EXPECT_EQ(bRunning, bResident);
                if (c.pInstalled != nullptr)
                    ExpectInstalled(kLayout, *c.pInstalled);
                else
                    ExpectRemoved(kLayout);
            }
            else
                EXPECT_EQ(FileContents(MsiexecLog()).find(": RestartProgramAfterFailure.") != std::string::npos, bResident);
            if (hMain != nullptr)
                CloseProgram(hMain);
        }
}

// A copy of the program with a msi.dll or a version.dll that lacks every function, beside it
// and in its working directory, where Wine (told to prefer them, as Windows does) finds it
// first: the copy takes the system's. Its "-install" asks msi.dll about the installed package
// and writes nothing; the About box loads version.dll from the system directory. One DLL at a
// time: Wine's own msi.dll, unlike Windows's, would import a planted version.dll.
TEST_F(PackageTest, APlantedMsiOrVersionDllIsNeverLoaded)
{
    ASSERT_EQ(Install(m_package), kSuccess);
    char szPath[MAX_PATH] = "", szSystem[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szPath);
    ::GetSystemDirectoryA(szSystem, MAX_PATH);
    const std::string folder = std::string(szPath) + "aurelon-planted", work = folder + "\\work";
    const std::string program = folder + "\\AurelonPlanted.exe", userLink = SendInstallToOwnProfile();
    ::SHCreateDirectoryExA(nullptr, work.c_str(), nullptr);
    EXPECT_TRUE(::CopyFileA(BinPath("Aurelon3D.exe").c_str(), program.c_str(), FALSE));
    auto plant = [&](const char* pszDll, bool bPlant) {
        CRegistrySandbox::SetText(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\AurelonPlanted.exe\\DllOverrides",
                                  pszDll, "native,builtin");
        for (const std::string& dll : { folder + "\\" + pszDll + ".dll", work + "\\" + pszDll + ".dll" })
            EXPECT_TRUE(bPlant ? ::CopyFileA(BinPath("nofunctions.dll").c_str(), dll.c_str(), FALSE) : ::DeleteFileA(dll.c_str()));
    };
    ::GetCurrentDirectoryA(MAX_PATH, szPath);
    ::SetCurrentDirectoryA(work.c_str());   // the copy's working directory
    plant("msi", true);
    EXPECT_TRUE(RunInstallOption(program));
    EXPECT_FALSE(FileExists(userLink));
    plant("msi", false);
    plant("version", true);
    m_program.UseExecutable(program);
    const bool bStarted = m_program.StartResident();
    EXPECT_TRUE(bStarted);
    if (bStarted)
    {
        m_program.Command(IDM_ABOUTBOX);
        EXPECT_NE(WaitForDialog("About Aurelon 3D Audio", m_program.Process().GetId()), nullptr);
        HMODULE hModules[256];
        DWORD cb = 0;
        std::string version;
        EXPECT_TRUE(::EnumProcessModules(m_program.Process().GetHandle(), hModules, sizeof(hModules), &cb));
        for (DWORD i = 0; i < cb / sizeof(HMODULE); ++i)
        {
            char szModule[MAX_PATH] = "";
            ::GetModuleFileNameExA(m_program.Process().GetHandle(), hModules[i], szModule, MAX_PATH);
            version = lstrcmpiA(::PathFindFileNameA(szModule), "version.dll") == 0 ? szModule : version;
        }
        EXPECT_EQ(lstrcmpiA(version.c_str(), (std::string(szSystem) + "\\version.dll").c_str()), 0) << version;
        EXPECT_TRUE(m_program.Exit());
    }
    plant("version", false);
    ::SetCurrentDirectoryA(szPath);
    CRegistrySandbox::DeleteKey(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\AurelonPlanted.exe");
    for (const std::string& file : { program, work, folder })
        EXPECT_TRUE(::DeleteFileA(file.c_str()) || ::RemoveDirectoryA(file.c_str())) << file;
}
