// The program on a Windows whose DLL that it loads at first use is missing, or lacks a
// function: the call fails as the function itself would, and the program goes on.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "RegistrySandbox.h"
#include "resource.h"

namespace
{
struct MISSINGCASE
{
    const char* pszCase;
    const char* pszLoadOrder;   // Wine's load order for shell32 in the copy: "" disables it
    bool bStandInDll;           // a shell32.dll without the functions beside the copy
};

const MISSINGCASE kCases[] = {
    // The program takes shell32 from the system directory only, where Wine has no native
    // one; the one beside the copy, without the functions, would lack Shell_NotifyIconA.
    {"no native shell32.dll in the system directory, one without functions beside", "native", true},
    {"shell32.dll cannot be loaded", "", false},
};

// A copy of the program under a name of its own, in a folder of its own, whose shell32
// Wine takes from the given load order; all removed afterwards.
class CProgramCopy
{
public:
    CProgramCopy(const MISSINGCASE& test)
    {
        char szTemp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, szTemp);
        m_strFolder = std::string(szTemp) + "aurelon-missing-dll";
        ::CreateDirectoryA(m_strFolder.c_str(), nullptr);
        m_bReady = ::CopyFileA(BinPath("Aurelon3D.exe").c_str(), Program().c_str(), FALSE) &&
            (!test.bStandInDll || ::CopyFileA(BinPath("nofunctions.dll").c_str(), Dll().c_str(), FALSE)) &&
            CRegistrySandbox::SetText(HKEY_CURRENT_USER, kOverrides, "shell32", test.pszLoadOrder);
    }
    ~CProgramCopy()
    {
        CRegistrySandbox::DeleteKey(HKEY_CURRENT_USER, kAppDefaults);
        ::DeleteFileA(Dll().c_str());
        ::DeleteFileA(Program().c_str());
        ::RemoveDirectoryA(m_strFolder.c_str());
    }
    std::string Program() const { return m_strFolder + "\\AurelonNoShell.exe"; }
    std::string Dll() const { return m_strFolder + "\\shell32.dll"; }
    bool IsReady() const { return m_bReady; }

private:
    static constexpr const char* kAppDefaults = "Software\\Wine\\AppDefaults\\AurelonNoShell.exe";
    static constexpr const char* kOverrides = "Software\\Wine\\AppDefaults\\AurelonNoShell.exe\\DllOverrides";
    std::string m_strFolder;
    bool m_bReady = false;
};

const char kPreset1[] = "Software\\Aurelon\\Morvane\\Preset1";
}

TEST(MissingDllTest, NoTrayIconButThePanelWorksAndPresetsAreSaved)
{
    for (const MISSINGCASE& test : kCases)
    {
        SCOPED_TRACE(test.pszCase);
        CAurelonProgram::Clean();
        CProgramCopy copy(test);
        ASSERT_TRUE(copy.IsReady());
        CAurelonProgram program;
        program.UseExecutable(copy.Program());
        const std::vector<HWND> tipsBefore = ShellTipWindows();
        ASSERT_TRUE(program.StartResident());
        EXPECT_TRUE(program.ShowPanel());
        // The stand-in answered: the shell never got the icon.
        EXPECT_EQ(ShellTipsBesides(tipsBefore), "");
        // Set after the tray icon: the start went on past the missing function.
        EXPECT_EQ(program.ControlText(IDC_CENTER_LABEL), "&Center");
        EXPECT_TRUE(program.PresetMenu(IDC_PRESET1, 1));   // "&Save Settings"
        EXPECT_TRUE(program.Exit());
        EXPECT_TRUE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, kPreset1));
    }
}
