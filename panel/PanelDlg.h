// CPanelDlg: the captionless popup panel, hub of a resident run. It binds the chip's
// 3D controls to its widgets, keeps the presets, and owns the tray icon.
#ifndef AURELON_PANELDLG_H
#define AURELON_PANELDLG_H

#include <memory>
#include <string>
#include <vector>
#include <windows.h>
#include <dbt.h>
#include "draw/PresetButton.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "mixer/Mixer3D.h"
#include "panel/Preset.h"
#include "resource.h"

class CPanelTrayNotify;
class CTaskBarButton;

class CPanelDlg : public CDialog
{
    // The check of the binding after device changes, and the quiet time it waits for.
    static constexpr UINT_PTR kMixerCheckTimer = 36;
    static constexpr UINT kMixerCheckDelay = 300;

public:
    enum { IDD = IDD_PANEL };
    explicit CPanelDlg(CWnd* pParent);
    ~CPanelDlg() override;

    // Hides the panel, or shows it next to the anchor (default: the cursor).
    void ShowPanel(BOOL bShow, const POINT* pAnchor = nullptr);
    // Runs the About box; tray clicks only beep meanwhile.
    void ShowAbout();
    // While a dialog, message box or menu of the program runs (CModalScope), nothing else
    // of the program opens: the tray's clicks beep and bring that dialog to the front, and
    // a second start's notice waits until it ends.
    BOOL IsModal() const { return m_nModal > 0; }
    void BringModalToFront() const;
    // The notice that hWndNotify is asked for once the open dialog or menu has ended.
    void DeferNotice(HWND hWndNotify) { m_hWndNoticePending = hWndNotify; }
    int GetVariant() const { return m_mixer.m_nVariant; }
    // Notes Escape on the panel itself before the dialog manager turns it into IDCANCEL.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Ends the program as "E&xit" does: closes an open menu and posts the quit message,
    // which ends every modal loop on its way out; the panel is destroyed only afterwards.
    void ExitProgram();

    // Mixer binding
    BOOL OpenMixer();
    BOOL CloseMixer();
    BOOL IsMixerDevNode(const DEV_BROADCAST_HDR* pHeader) const;

    // Presets
    void LoadPresets();
    void SavePresets();
    // Writes preset n to the user's key; TRUE when every value was written.
    BOOL WritePreset(int nPreset);
    // Selects and applies preset n (1 to 3); 0 deselects.
    void SelectPreset(int nPreset);

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;
    // Follows device arrival and removal and the driver's control-change notices.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    // Message handlers
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnEnabled();
    void OnDestroy();
    void OnHScroll(UINT nSBCode, UINT nPos, HWND hScrollBar);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnPreset1();
    void OnPreset2();
    void OnPreset3();
    void OnContextMenu(HWND hWnd, POINT point);
    void OnSaveSettings();
    void OnRestoreDefault();
    void OnChangeDescription();
    LRESULT OnGetToolTip(WPARAM wParam, LPARAM lParam);
    void OnPaletteChanged(HWND hFocusWnd);
    BOOL OnQueryNewPalette();
    void OnEndSession(BOOL bEnding, UINT nOptions);
    void OnClose();

private:
    friend class CModalScope;
    void BeginModal();
    void EndModal();
    BOOL ReadQuietFlag() const;
    void CreateTrayIcon();
    void SetVariantTexts();
    void LoadLogo();
    void LoadStrip();
    BOOL BindLevel(DWORD nControlID, CSliderCtrl& slider, int& nStep);
    void ReopenMixer();
    void CheckMixerBinding();
    void ScheduleMixerCheck();
    void NoteMixerResult(MMRESULT result);
    void OnDeviceChange(WPARAM wParam, const DEV_BROADCAST_HDR* pHeader);
    void EnableControls(BOOL bEnable);
    void OnMixerControlChange(DWORD nControlID);
    void FollowLevel(DWORD nControlID, int nStep, int& nEcho, CSliderCtrl& slider);
    void ApplyPresetLevels(const Preset& preset);
    void ShowPresetImages(int nPreset, BOOL bSelected);
    int TakeMenuPreset();
    void KeepPreset(int nPreset);
    // An exclamation message box owned by the panel, captioned with the technology's name.
    void ShowWarning(UINT nTextID);
    UINT TitleID() const;
    BOOL QueryLogoPalette();
    UINT TrayIconID() const;

    CPresetButton m_btnPreset3;
    CPresetButton m_btnPreset2;
    CPresetButton m_btnPreset1;
    CStatic m_wndSpaceLabel;
    CStatic m_wndCenterLabel;
    CButton m_chkEnabled;
    CSliderCtrl m_wndSpace;
    CSliderCtrl m_wndCenter;
    HICON m_hIcon;
    CPalette m_logoPalette;
    CBitmap m_logoBitmap;
    CBitmap m_stripBitmap;      // the left strip at the screen's DPI, when not the template's
    int m_nDpi;                 // our own pixels are laid out for it
    COLORREF m_crTransparent;
    CToolTipCtrl m_toolTip;
    int m_nCurPreset;
    std::vector<std::unique_ptr<Preset>> m_presets;    // entry 0 stays empty
    BOOL m_bEscapeDown;
    CPanelTrayNotify* m_pTrayNotify;
    CTaskBarButton* m_pTrayIcon;
    int m_nMenuPreset;
    CMixer3D m_mixer;
    int m_nModal;               // dialogs, message boxes and menus open, nested
    HWND m_hWndNoticePending;   // asks for the notice when the last of them ends
    HANDLE m_hDeviceWatch = nullptr;    // audio interface notifications (Windows 2000 on)

    DECLARE_MESSAGE_MAP()
};

// Marks a dialog, message box or menu of the program as open for its lifetime.
class CModalScope
{
public:
    explicit CModalScope(CPanelDlg* pPanel) : m_pPanel(pPanel) { m_pPanel->BeginModal(); }
    ~CModalScope() { m_pPanel->EndModal(); }
    CModalScope(const CModalScope&) = delete;
    CModalScope& operator=(const CModalScope&) = delete;

private:
    CPanelDlg* m_pPanel;
};

// Where a panel of size w x h opens for an anchor point on a monitor of rectangle
// rcMonitor (the whole monitor, not its work area): right of and below the point, left
// of it where it would cross the monitor's right edge, flush with the monitor's bottom
// where it would cross that.
POINT PlacePanel(POINT pt, int nWidth, int nHeight, const RECT& rcMonitor);

// The rectangle of the monitor that holds pt, or of the primary screen where the system
// cannot tell.
RECT MonitorRectAt(POINT pt);

// The tray picture for a technology and mute state.
UINT TrayIconForState(int nVariant, LONG bMuted);

#endif
