// CTaskBarButton: one icon in the notification area. It turns the shell's mouse
// callbacks into calls on a CTaskBarButtonNotify handler, and survives shell restarts.
#ifndef AURELON_TASKBARBUTTON_H
#define AURELON_TASKBARBUTTON_H

#include <windows.h>
#include "framework/FlatMap.h"

// The six mouse operations on an icon, without coordinates.
class CTaskBarButtonNotify
{
public:
    virtual void OnLButtonDown() = 0;
    virtual void OnLButtonDblClk() = 0;
    virtual void OnLButtonUp() = 0;
    virtual void OnRButtonDown() = 0;
    virtual void OnRButtonUp() = 0;
    virtual void OnMouseMove() = 0;

protected:
    // Handlers are installed by pointer and deleted by their owners, never through here.
    ~CTaskBarButtonNotify() = default;
};

// The handler of an icon that nobody listens to.
class CNullTaskBarButtonNotify final : public CTaskBarButtonNotify
{
public:
    void OnLButtonDown() override {}
    void OnLButtonDblClk() override {}
    void OnLButtonUp() override {}
    void OnRButtonDown() override {}
    void OnRButtonUp() override {}
    void OnMouseMove() override {}
};

class CNotifySource
{
public:
    CNotifySource() : m_pNotify(nullptr) {}
    virtual ~CNotifySource() = default;

    // Installs pNotify (not owned), or the default handler when given NULL;
    // returns the handler installed before.
    CTaskBarButtonNotify* SetNotify(CTaskBarButtonNotify* pNotify);

protected:
    virtual CTaskBarButtonNotify* GetDefaultNotify() { return nullptr; }

    CTaskBarButtonNotify* m_pNotify;
};

class CTaskBarButton : public CNotifySource
{
public:
    // Adds the icon with picture nIconID (an icon resource) and a tip (NULL: none).
    CTaskBarButton(UINT nIconID, LPCSTR lpszTip);
    ~CTaskBarButton() override;
    CTaskBarButton(const CTaskBarButton&) = delete;
    CTaskBarButton& operator=(const CTaskBarButton&) = delete;

    // Replaces the picture; the tip and the handler stay.
    void SetIcon(UINT nIconID);
    // Replaces the tip (NULL: none); the picture and the handler stay.
    void SetTip(LPCSTR lpszTip);
    // Calls the handler operation for one mouse message of the icon.
    void OnTrayNotify(UINT nMouseMessage);

    static BOOL CreateReceiverWindow();
    static LRESULT CALLBACK ReceiverWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    static HWND m_hReceiverWnd;
    static int m_nIconCount;

protected:
    CTaskBarButtonNotify* GetDefaultNotify() override;

private:
    BOOL AddIcon() const;
    static void ReAddAllIcons();
    static void ReloadAllPictures();

    UINT m_nID;             // the icon's id with the shell: a key of the live table
    UINT m_nIconID;         // the current picture, to add the icon again after a shell restart
    char m_szTip[64];

    // Icons by id, so that a callback for a removed icon reaches no object.
    static CFlatMap<UINT, CTaskBarButton*> s_liveIcons;
    static UINT s_nNextID;
};

// An icon resource's image of the size the shell shows in the tray (SM_CXSMICON: 16 at
// 96 DPI, 20, 24 or 32 at more); the caller destroys it.
HICON LoadTrayPicture(UINT nIconID);

// Copies a tip into the shell's 64-byte field: at most 63 bytes and the terminator,
// never splitting a double-byte character of the code page (the ANSI one by default).
void CopyTipText(char (&szTip)[64], LPCSTR lpszText, UINT nCodePage = CP_ACP);

#endif
