// How the system tells windows that audio devices come and go. Windows 95 to ME announce a
// driver's device node with a DBT_DEVTYP_DEVNODE broadcast; Windows 2000 and later send
// top-level windows only DBT_DEVNODES_CHANGED, and a device interface's own arrival and
// removal only to windows that registered for its class.
#ifndef AURELON_MIXER_DEVICEWATCH_H
#define AURELON_MIXER_DEVICEWATCH_H

#include <windows.h>

// TRUE on Windows 2000 and later, whose device changes the panel checks by discovery.
BOOL IsNtDeviceModel();

// Registers hWnd for the arrival and removal of audio device interfaces; NULL where the
// system lacks the call (95, NT 4) or refuses. RegisterDeviceNotification is looked up
// at first use, so that the program still loads where it is missing.
HANDLE WatchAudioInterfaces(HWND hWnd);
void StopWatchingAudioInterfaces(HANDLE hWatch);

#endif
