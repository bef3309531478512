// Static message tables. Each window class lists the messages it handles with a
// typed handler; the crackers below unpack wParam and lParam once, next to the
// handler signature they serve.
#ifndef AURELON_FRAMEWORK_MESSAGEMAP_H
#define AURELON_FRAMEWORK_MESSAGEMAP_H

#include <windows.h>

class CWnd;

// Calls one handler of the object with the message's parameters unpacked.
typedef LRESULT (*AFX_THUNK)(CWnd* pWnd, WPARAM wParam, LPARAM lParam);

struct MSGMAP_ENTRY
{
    UINT nMessage;
    UINT nID;           // command or control id for WM_COMMAND, else 0
    AFX_THUNK pfnThunk; // nullptr ends the table
};

struct MSGMAP
{
    const MSGMAP* pBaseMap;
    const MSGMAP_ENTRY* lpEntries;
};

namespace afx
{
inline POINT PointFromLParam(LPARAM lParam)
{
    POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
    return pt;
}

// void OnX()                                       commands, WM_PAINT, WM_DESTROY
template <class T, void (T::*pfn)()>
LRESULT Thunk_v(CWnd* p, WPARAM, LPARAM) { (static_cast<T*>(p)->*pfn)(); return 0; }
// LRESULT OnX(WPARAM, LPARAM)                      any message, raw
template <class T, LRESULT (T::*pfn)(WPARAM, LPARAM)>
LRESULT Thunk_l_wl(CWnd* p, WPARAM w, LPARAM l) { return (static_cast<T*>(p)->*pfn)(w, l); }
// int OnCreate(LPCREATESTRUCT)
template <class T, int (T::*pfn)(LPCREATESTRUCT)>
LRESULT Thunk_Create(CWnd* p, WPARAM, LPARAM l)
{ return (static_cast<T*>(p)->*pfn)(reinterpret_cast<LPCREATESTRUCT>(l)); }
// void OnActivateApp(BOOL bActive, DWORD dwThreadID)
template <class T, void (T::*pfn)(BOOL, DWORD)>
LRESULT Thunk_ActivateApp(CWnd* p, WPARAM w, LPARAM l)
{ (static_cast<T*>(p)->*pfn)(static_cast<BOOL>(w), static_cast<DWORD>(l)); return 0; }
// void OnSysCommand(UINT nID, LPARAM lParam)
template <class T, void (T::*pfn)(UINT, LPARAM)>
LRESULT Thunk_SysCommand(CWnd* p, WPARAM w, LPARAM l)
{ (static_cast<T*>(p)->*pfn)(static_cast<UINT>(w), l); return 0; }
// void OnHScroll(UINT nSBCode, UINT nPos, HWND hScrollBar)
template <class T, void (T::*pfn)(UINT, UINT, HWND)>
LRESULT Thunk_Scroll(CWnd* p, WPARAM w, LPARAM l)
{ (static_cast<T*>(p)->*pfn)(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l)); return 0; }
// void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
template <class T, void (T::*pfn)(UINT, UINT, UINT)>
LRESULT Thunk_Key(CWnd* p, WPARAM w, LPARAM l)
{ (static_cast<T*>(p)->*pfn)(static_cast<UINT>(w), LOWORD(l), HIWORD(l)); return 0; }
// void OnLButtonDown(UINT nFlags, POINT point)     client coordinates
template <class T, void (T::*pfn)(UINT, POINT)>
LRESULT Thunk_Mouse(CWnd* p, WPARAM w, LPARAM l)
{ (static_cast<T*>(p)->*pfn)(static_cast<UINT>(w), PointFromLParam(l)); return 0; }
// void OnContextMenu(HWND hWnd, POINT point)       screen coordinates
template <class T, void (T::*pfn)(HWND, POINT)>
LRESULT Thunk_ContextMenu(CWnd* p, WPARAM w, LPARAM l)
{ (static_cast<T*>(p)->*pfn)(reinterpret_cast<HWND>(w), PointFromLParam(l)); return 0; }
// HCURSOR OnQueryDragIcon()
template <class T, HCURSOR (T::*pfn)()>
LRESULT Thunk_DragIcon(CWnd* p, WPARAM, LPARAM)
{ return reinterpret_cast<LRESULT>((static_cast<T*>(p)->*pfn)()); }
// BOOL OnQueryNewPalette()
template <class T, BOOL (T::*pfn)()>
LRESULT Thunk_b(CWnd* p, WPARAM, LPARAM) { return (static_cast<T*>(p)->*pfn)(); }
// void OnPaletteChanged(HWND hFocusWnd)
template <class T, void (T::*pfn)(HWND)>
LRESULT Thunk_Hwnd(CWnd* p, WPARAM w, LPARAM)
{ (static_cast<T*>(p)->*pfn)(reinterpret_cast<HWND>(w)); return 0; }
// void OnEndSession(BOOL bEnding, UINT nOptions)     nOptions: ENDSESSION_... flags
template <class T, void (T::*pfn)(BOOL, UINT)>
LRESULT Thunk_EndSession(CWnd* p, WPARAM w, LPARAM l)
{ (static_cast<T*>(p)->*pfn)(static_cast<BOOL>(w), static_cast<UINT>(l)); return 0; }
}

#define DECLARE_MESSAGE_MAP() \
protected: \
    static const MSGMAP* GetThisMessageMap(); \
    const MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MSGMAP* theClass::GetThisMessageMap() \
    { \
        typedef theClass ThisClass; \
        typedef baseClass TheBaseClass; \
        static_cast<void>(sizeof(ThisClass*)); \
        static const MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP() \
            { 0, 0, nullptr } \
        }; \
        static const MSGMAP messageMap = { TheBaseClass::GetThisMessageMap(), entries }; \
        return &messageMap; \
    }

#define ON_COMMAND(id, fn) { WM_COMMAND, (UINT)(id), &afx::Thunk_v<ThisClass, &ThisClass::fn> },
#define ON_BN_CLICKED(id, fn) ON_COMMAND(id, fn)
#define ON_MESSAGE(msg, fn) { (UINT)(msg), 0, &afx::Thunk_l_wl<ThisClass, &ThisClass::fn> },
#define ON_WM_CREATE() { WM_CREATE, 0, &afx::Thunk_Create<ThisClass, &ThisClass::OnCreate> },
#define ON_WM_DESTROY() { WM_DESTROY, 0, &afx::Thunk_v<ThisClass, &ThisClass::OnDestroy> },
#define ON_WM_CLOSE() { WM_CLOSE, 0, &afx::Thunk_v<ThisClass, &ThisClass::OnClose> },
#define ON_WM_PAINT() { WM_PAINT, 0, &afx::Thunk_v<ThisClass, &ThisClass::OnPaint> },
#define ON_WM_ACTIVATEAPP() \
    { WM_ACTIVATEAPP, 0, &afx::Thunk_ActivateApp<ThisClass, &ThisClass::OnActivateApp> },
#define ON_WM_SYSCOMMAND() \
    { WM_SYSCOMMAND, 0, &afx::Thunk_SysCommand<ThisClass, &ThisClass::OnSysCommand> },
#define ON_WM_HSCROLL() { WM_HSCROLL, 0, &afx::Thunk_Scroll<ThisClass, &ThisClass::OnHScroll> },
#define ON_WM_KEYDOWN() { WM_KEYDOWN, 0, &afx::Thunk_Key<ThisClass, &ThisClass::OnKeyDown> },
#define ON_WM_KEYUP() { WM_KEYUP, 0, &afx::Thunk_Key<ThisClass, &ThisClass::OnKeyUp> },
#define ON_WM_LBUTTONDOWN() \
    { WM_LBUTTONDOWN, 0, &afx::Thunk_Mouse<ThisClass, &ThisClass::OnLButtonDown> },
#define ON_WM_LBUTTONUP() { WM_LBUTTONUP, 0, &afx::Thunk_Mouse<ThisClass, &ThisClass::OnLButtonUp> },
#define ON_WM_MOUSEMOVE() { WM_MOUSEMOVE, 0, &afx::Thunk_Mouse<ThisClass, &ThisClass::OnMouseMove> },
#define ON_WM_CONTEXTMENU() \
    { WM_CONTEXTMENU, 0, &afx::Thunk_ContextMenu<ThisClass, &ThisClass::OnContextMenu> },
#define ON_WM_QUERYDRAGICON() \
    { WM_QUERYDRAGICON, 0, &afx::Thunk_DragIcon<ThisClass, &ThisClass::OnQueryDragIcon> },
#define ON_WM_QUERYNEWPALETTE() \
    { WM_QUERYNEWPALETTE, 0, &afx::Thunk_b<ThisClass, &ThisClass::OnQueryNewPalette> },
#define ON_WM_PALETTECHANGED() \
    { WM_PALETTECHANGED, 0, &afx::Thunk_Hwnd<ThisClass, &ThisClass::OnPaletteChanged> },
#define ON_WM_ENDSESSION() \
    { WM_ENDSESSION, 0, &afx::Thunk_EndSession<ThisClass, &ThisClass::OnEndSession> },

#endif
