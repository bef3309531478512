// The records that the program hands to the mixer, the shell and the common controls
// have the sizes that the system's own DLLs were built with, on both architectures. The
// 32-bit program cannot run here, so a header or a packing that differs from the
// system's would show only on the users' machines, as a driver or the shell reading or
// writing past the record it was handed. The sizes are those of the Windows SDK headers:
// the mixer records are byte-packed on both architectures, the shell's only on 32-bit.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <cstddef>

namespace
{
constexpr std::size_t SizeOnThisArch(std::size_t cb32, std::size_t cb64)
{
    return sizeof(void*) == 4 ? cb32 : cb64;
}
}

static_assert(sizeof(MIXERCAPSA) == 48, "MIXERCAPSA");
static_assert(sizeof(MIXERLINEA) == SizeOnThisArch(168, 172), "MIXERLINEA");
static_assert(sizeof(MIXERCONTROLA) == 148, "MIXERCONTROLA");
static_assert(sizeof(MIXERLINECONTROLSA) == SizeOnThisArch(24, 28), "MIXERLINECONTROLSA");
static_assert(sizeof(MIXERCONTROLDETAILS) == SizeOnThisArch(24, 32), "MIXERCONTROLDETAILS");
static_assert(sizeof(MIXERCONTROLDETAILS_UNSIGNED) == 4, "MIXERCONTROLDETAILS_UNSIGNED");
static_assert(sizeof(DEV_BROADCAST_HDR) == 12, "DEV_BROADCAST_HDR");
static_assert(sizeof(DEV_BROADCAST_DEVNODE) == 16, "DEV_BROADCAST_DEVNODE");
// The tray icon's record is passed at its first version's size, which every shell takes.
static_assert(NOTIFYICONDATAA_V1_SIZE == SizeOnThisArch(88, 104), "NOTIFYICONDATAA_V1_SIZE");
static_assert(sizeof(INITCOMMONCONTROLSEX) == 8, "INITCOMMONCONTROLSEX");
