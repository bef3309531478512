// Shared by the mixer tests: the simulated chip, loaded as this process's mixer driver,
// a top-level window that records the messages the driver and the chip send, and a
// runner for chipctl.exe (another process on the same chip).
#ifndef AURELON_TESTS_MIXER_MIXERTESTKIT_H
#define AURELON_TESTS_MIXER_MIXERTESTKIT_H

#include <windows.h>
#include <dbt.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chipsim/ChipSimClient.h"

// A file next to the test executable.
std::string PathBesideTest(const char* pszName);

// The chip's control interface. The first call makes chipsim.dll this process's mixer
// driver (AURELON_MIXER_DRIVER) before anything uses the mixer.
CChipSimLibrary& Chip();

// Chooses a layout; the ranges default to 16 steps up to 65535.
void SetChipLayout(DWORD nLayout, DWORD fdwMissing = 0, DWORD cSteps = CHIPSIM_DEFAULT_STEPS,
                   DWORD dwMaximum = CHIPSIM_DEFAULT_MAXIMUM);

// Every test starts on the default layout, plugged, with write counts at 0.
class CChipTest : public ::testing::Test
{
protected:
    void SetUp() override;
};

// One message the recorder saw.
struct CRecordedMessage
{
    UINT nMessage;
    WPARAM wParam;
    LPARAM lParam;          // MM_MIXM_CONTROL_CHANGE: the control id
    DWORD dwDeviceType;     // WM_DEVICECHANGE: the record's type
    DWORD dwDevNode;        // WM_DEVICECHANGE with a device node record
};

// A hidden top-level window that records MM_MIXM_CONTROL_CHANGE and WM_DEVICECHANGE.
class CRecorderWindow
{
public:
    CRecorderWindow();
    ~CRecorderWindow();
    CRecorderWindow(const CRecorderWindow&) = delete;
    CRecorderWindow& operator=(const CRecorderWindow&) = delete;

    HWND GetHandle() const { return m_hWnd; }
    void Destroy();
    // Pumps this thread's messages until cMessages are recorded or the time is up.
    void WaitFor(size_t cMessages, DWORD dwTimeout = 2000);
    // Pumps what is already queued.
    void Pump();
    // The control id of every message recorded, in order; each must be a control change.
    std::vector<LPARAM> ControlIds() const;
    std::vector<CRecordedMessage> m_messages;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd;
};

// A chip test that keeps one handle to the 3D device, whose notices reach m_window; the
// handle still open at the end is closed.
class CChipDeviceTest : public CChipTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Finds and opens the 3D device, for the layout of the moment; a handle still open is
    // closed first (m_hMixer to nullptr when a layout change ended it).
    void OpenChip();

    CRecorderWindow m_window;
    HMIXER m_hMixer = nullptr;
    UINT m_nDevice = 0;
    int m_nVariant = 0;
    DWORD m_nMuteID = 0;
    DWORD m_nVolumeID = 0;
};

// Runs chipctl.exe with the given arguments, pumping this thread's messages meanwhile
// (it may send to our windows); returns its exit code, or -1 if it could not run.
int RunChipctl(const std::string& strArguments, std::string* pstrOutput = nullptr);

// The short name of the line that carries a control of the device, and the control's type.
BOOL DescribeControl(UINT nDevice, DWORD dwControlID, std::string* pstrLine, DWORD* pdwType,
                     DWORD* pdwDestination = nullptr);

#endif
