// Drives the real Aurelon3D.exe the way a user and other programs would: it starts the
// program against the simulated chip, reads its windows, clicks its tray icon and
// menus through window messages, and changes the chip from outside.
#ifndef AURELON_TESTS_COMMON_AURELONPROGRAM_H
#define AURELON_TESTS_COMMON_AURELONPROGRAM_H

#include "Harness.h"
#include "chipsim/ChipSimClient.h"
#include <mmsystem.h>
#include <commctrl.h>

class CAurelonProgram
{
public:
    CAurelonProgram();
    ~CAurelonProgram();

    // Removes the program's registry keys (both hives) and ends any running instance.
    static void Clean();
    // Chooses the simulated chip's layout (values back at their defaults).
    bool SetLayout(DWORD nLayout, DWORD cSteps = 16, DWORD dwMaximum = 65535, DWORD fdwMissing = 0);

    // Runs another copy of the program from now on (a scratch copy with other resources).
    void UseExecutable(const std::string& path) { m_strExecutable = path; }
    // Starts the program with an argument text; bChip FALSE runs it without the simulator.
    bool Start(const char* pszArgs = "", bool bChip = true);
    // Starts it and waits until it is resident with its panel.
    bool StartResident();
    // "E&xit" from the tray menu; true when the process then ended with code 0.
    bool Exit();
    // Starts another copy with an argument text while this one is resident, answers the
    // notice this one shows and waits for the copy's end; false when any step fails.
    bool AnswerSecondStart(const char* pszArgs);
    CProcess& Process() { return m_process; }

    HWND MainWnd() const;
    HWND Panel() const;
    bool PanelVisible() const { return ::IsWindowVisible(Panel()) != FALSE; }
    // "&Settings..." as a command; true once the panel shows.
    bool ShowPanel() const;
    HWND Control(int nID) const { return ::GetDlgItem(Panel(), nID); }
    int SliderPos(int nID) const;
    bool IsChecked(int nID) const;
    bool IsEnabled(int nID) const { return ::IsWindowEnabled(Control(nID)) != FALSE; }
    std::string ControlText(int nID) const { return WindowText(Control(nID)); }
    // A button click as the button itself reports it to the panel.
    void Click(int nID) const;
    // Sends a trackbar to a position and reports it to the panel with the given code.
    void Scroll(int nID, int nPosition, UINT nCode = TB_THUMBPOSITION) const;
    // Sends a command to the panel (posted: a modal dialog may follow).
    void Command(UINT nID) const;
    // A mouse message from the tray icon (posted, as the shell does).
    void Tray(UINT nMouseMessage, UINT nIconID = 1) const;
    HWND TrayReceiver() const;
    // Opens the context menu of a preset button and picks the nth item (separators skipped).
    bool PresetMenu(int nButtonID, int nItem) const;
    // The tooltip text of a panel control, read from the program's own tooltip control.
    std::string ToolTipText(int nID) const;
    // Waits until the panel's thread has handled everything posted to it so far.
    void Sync() const;

    // The simulated chip, seen from outside
    DWORD ChipValue(DWORD dwControlID, DWORD nDevice = 0) const;
    DWORD WriteCount(DWORD dwControlID, DWORD nDevice = 0) const;
    // The chip's open handles that belong to the program, one line each ("handle 0x...: ..."):
    // a handle closed and opened again comes back with another value.
    std::string ChipHandles() const;
    // Writes a control as another mixer program would (notifications go to the panel).
    bool SetChipValue(DWORD dwControlID, DWORD dwValue) const;
    // The ids of the 3D line's mute and volume controls on device 0.
    DWORD MuteID() const;
    DWORD VolumeID() const;

    CChipSimLibrary m_chip;

private:
    CProcess m_process;
    std::string m_strExecutable;
};

// One tool of a tooltip control: its window, its id and its text.
struct CTool
{
    HWND hWnd;
    UINT_PTR uId;
    std::string text;
};
// The tools of a tooltip control of any process.
std::vector<CTool> ToolsOf(HWND hTip);
// The texts of the tray icons' tips that the shell shows in tooltip windows other than
// these (the shell keeps the tooltip window of an icon that was removed).
std::vector<HWND> ShellTipWindows();
std::string ShellTipsBesides(const std::vector<HWND>& tipsBefore);

// Whether a preset button on screen shows a lit lamp (green: the selected preset) or an unlit
// one (red), read by its colours.
enum PresetLamp { LAMP_SELECTED, LAMP_NOT_SELECTED };
bool ShowsLamp(HWND hButton, PresetLamp lamp);
// Polls until a preset button of the visible panel shows the lamp, after the program has
// handled what was sent to it before.
bool WaitForPresetLamp(const CAurelonProgram& program, int nButtonID, PresetLamp lamp);

// Visible popup menus (class "#32768") of any process.
HWND FindVisibleMenu();
// Waits for a visible popup menu; NULL when none shows in time.
HWND WaitForVisibleMenu(DWORD dwTimeoutMs = 5000);
// Chooses the nth item of the open popup menu with the keyboard (separators are skipped).
void ChooseMenuItem(HWND hMenuWnd, int nItem);

#endif
