// Private window messages. Fixed numbers in the WM_USER range, deliberately not
// registered: a resident instance of another build must still understand them.
#ifndef AURELON_PRIVATEMESSAGES_H
#define AURELON_PRIVATEMESSAGES_H

#include <windows.h>

// The shell's callback for our notification-area icon (wParam icon id, lParam mouse message).
#define WM_TASKBARBUTTON    (WM_USER + 0x124)   // 0x524
// A preset button asks its parent for the tooltip control; the answer is a CToolTipCtrl*.
#define UWM_GETTOOLTIP      0x68E
// A second start to the resident hidden window: wParam 1 = show the panel, else hide it;
// lParam 1 = then show the already-running notice.
#define WM_INSTANCENOTIFY   (WM_USER + 0x28F)   // 0x68F

#endif
