// Finding the chip's 3D line among all mixer devices, and recognising the chip's device
// in plug-and-play broadcasts. Both are stateless.
#ifndef AURELON_MIXER_MIXERDISCOVERY_H
#define AURELON_MIXER_MIXERDISCOVERY_H

#include <windows.h>
#include <dbt.h>

// Technology codes (the variant). Consumers test only for MIXER3D_SRS; anything else
// is treated as QSound.
#define MIXER3D_SRS     100
#define MIXER3D_QSOUND  101

// Scans devices, destinations and sources in that order for the first source line whose
// short name is exactly "SRS" or "QSound" (strings IDS_NAME_SRS / IDS_NAME_QSOUND).
// Outputs are reset on entry to 0xFFFFFFFF, 0 and MIXER3D_NO_CONTROL twice; on success
// they hold the device index, the variant and the ids of the line's volume and mute
// controls (an id stays MIXER3D_NO_CONTROL when the line has no such control). Every
// device opened is closed again.
BOOL FindMixer3D(UINT* pnDevice, int* pnVariant, DWORD* pnMuteID, DWORD* pnVolumeID);

// Whether a device broadcast may concern the chip's mixer: FALSE for anything but a
// device node, and for a device node that the mixer driver records under
// HKEY_LOCAL_MACHINE "System\CurrentControlSet\Control\MediaResources\mixer" show to
// belong to no device with the vendor code "QVX". When the records cannot be read the
// answer is TRUE, so that the mixer is rather reopened once too often than never.
BOOL IsMixerDevNode(const DEV_BROADCAST_HDR* pHeader);

#endif
