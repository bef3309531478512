#include "MixerTestKit.h"
#include "Harness.h"

#include "mixer/MixerControls.h"
#include "mixer/MixerDetails.h"
#include "mixer/MixerDiscovery.h"
#include "mixer/MixerDriver.h"

std::string PathBesideTest(const char* pszName)
{
    char szPath[MAX_PATH];
    const DWORD cch = ::GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    std::string strPath(szPath, cch);
    return strPath.substr(0, strPath.find_last_of("\\/") + 1) + pszName;
}

CChipSimLibrary& Chip()
{
    static CChipSimLibrary* s_pChip = [] {
        const std::string strDll = PathBesideTest("chipsim.dll");
        ::SetEnvironmentVariableA(MIXER_DRIVER_VARIABLE, strDll.c_str());
        GetMixerDriver();
        return new CChipSimLibrary(strDll.c_str());
    }();
    return *s_pChip;
}

void SetChipLayout(DWORD nLayout, DWORD fdwMissing, DWORD cSteps, DWORD dwMaximum)
{
    const CHIPSIM_LAYOUT layout = {nLayout, cSteps, dwMaximum, fdwMissing};
    ASSERT_TRUE(Chip().m_pfnSetLayout(&layout));
}

void CChipTest::SetUp()
{
    ASSERT_TRUE(Chip().IsLoaded()) << "chipsim.dll beside the test";
    SetChipLayout(CHIPSIM_LAYOUT_SRS);
}

void CChipDeviceTest::SetUp()
{
    CChipTest::SetUp();
    OpenChip();
}

void CChipDeviceTest::TearDown()
{
    if (m_hMixer != nullptr)
        CloseMixerDevice(m_hMixer);
}

void CChipDeviceTest::OpenChip()
{
    if (m_hMixer != nullptr)
        CloseMixerDevice(m_hMixer);
    m_hMixer = nullptr;
    ASSERT_TRUE(FindMixer3D(&m_nDevice, &m_nVariant, &m_nMuteID, &m_nVolumeID));
    ASSERT_TRUE(OpenMixerDevice(&m_hMixer, m_nDevice, m_window.GetHandle()));
}

namespace
{
const char c_szRecorderClass[] = "AurelonMixerTestRecorder";
}

CRecorderWindow::CRecorderWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = c_szRecorderClass;
    ::RegisterClassA(&wc);  // fails harmlessly when already registered
    m_hWnd = ::CreateWindowExA(0, c_szRecorderClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               wc.hInstance, nullptr);
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CRecorderWindow::~CRecorderWindow()
{
    Destroy();
}

void CRecorderWindow::Destroy()
{
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void CRecorderWindow::Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void CRecorderWindow::WaitFor(size_t cMessages, DWORD dwTimeout)
{
    const DWORD dwStart = ::GetTickCount();
    Pump();
    while (m_messages.size() < cMessages && ::GetTickCount() - dwStart < dwTimeout)
    {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Pump();
    }
}

std::vector<LPARAM> CRecorderWindow::ControlIds() const
{
    std::vector<LPARAM> ids;
    for (const CRecordedMessage& message : m_messages)
    {
        EXPECT_EQ(static_cast<UINT>(MM_MIXM_CONTROL_CHANGE), message.nMessage);
        ids.push_back(message.lParam);
    }
    return ids;
}

LRESULT CALLBACK CRecorderWindow::WindowProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    CRecorderWindow* pThis = reinterpret_cast<CRecorderWindow*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (pThis != nullptr && (nMessage == MM_MIXM_CONTROL_CHANGE || nMessage == WM_DEVICECHANGE))
    {
        CRecordedMessage record = {nMessage, wParam, lParam, 0, 0};
        const DEV_BROADCAST_HDR* pHeader = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        if (nMessage == WM_DEVICECHANGE && pHeader != nullptr)
        {
            record.dwDeviceType = pHeader->dbch_devicetype;
            if (pHeader->dbch_devicetype == DBT_DEVTYP_DEVNODE)
                record.dwDevNode = reinterpret_cast<const DEV_BROADCAST_DEVNODE*>(pHeader)->dbcd_devnode;
        }
        pThis->m_messages.push_back(record);
        return TRUE;
    }
    return ::DefWindowProcA(hWnd, nMessage, wParam, lParam);
}

int RunChipctl(const std::string& strArguments, std::string* pstrOutput)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hRead = nullptr;
    HANDLE hWrite = nullptr;
    if (!::CreatePipe(&hRead, &hWrite, &sa, 0))
        return -1;
    ::SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    std::string strCommand = "\"" + PathBesideTest("chipctl.exe") + "\" " + strArguments;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = hWrite;
    si.hStdError = hWrite;
    PROCESS_INFORMATION pi = {};
    const BOOL bStarted = CreateProcessRetrying(strCommand, TRUE, CREATE_NO_WINDOW, &si, &pi);
    ::CloseHandle(hWrite);
    if (!bStarted)
    {
        ::CloseHandle(hRead);
        return -1;
    }
    std::string strOutput;
    const DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        DWORD cbAvailable = 0;
        while (::PeekNamedPipe(hRead, nullptr, 0, nullptr, &cbAvailable, nullptr) && cbAvailable > 0)
        {
            char buffer[4096];
            DWORD cbRead = 0;
            if (!::ReadFile(hRead, buffer, sizeof(buffer), &cbRead, nullptr) || cbRead == 0)
                break;
            strOutput.append(buffer, cbRead);
        }
        // Our windows must answer the device broadcasts that chipctl sends.
        const DWORD dwWait = ::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (dwWait == WAIT_OBJECT_0 || ::GetTickCount() - dwStart > 30000)
            break;
    }
    char buffer[4096];
    DWORD cbRead = 0;
    while (::ReadFile(hRead, buffer, sizeof(buffer), &cbRead, nullptr) && cbRead > 0)
        strOutput.append(buffer, cbRead);
    DWORD dwExit = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0)
        ::TerminateProcess(pi.hProcess, static_cast<UINT>(-1));
    ::GetExitCodeProcess(pi.hProcess, &dwExit);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(hRead);
    if (pstrOutput != nullptr)
        *pstrOutput = strOutput;
    return static_cast<int>(dwExit);
}

BOOL DescribeControl(UINT nDevice, DWORD dwControlID, std::string* pstrLine, DWORD* pdwType,
                     DWORD* pdwDestination)
{
    const CMixerDriver& driver = GetMixerDriver();
    HMIXEROBJ hObject = reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(nDevice));
    MIXERCONTROLA control;
    MIXERLINECONTROLSA controls = SingleControlQuery(&control);
    controls.dwControlID = dwControlID;
    if (driver.m_pfnGetLineControls(hObject, &controls, MIXER_GETLINECONTROLSF_ONEBYID) != MMSYSERR_NOERROR)
        return FALSE;
    MIXERLINEA line = {};
    line.cbStruct = sizeof(line);
    line.dwLineID = controls.dwLineID;
    if (driver.m_pfnGetLineInfo(hObject, &line, MIXER_GETLINEINFOF_LINEID) != MMSYSERR_NOERROR)
        return FALSE;
    *pstrLine = line.szShortName;
    *pdwType = control.dwControlType;
    if (pdwDestination != nullptr)
        *pdwDestination = line.dwDestination;
    return TRUE;
}
