// Palette-aware loading of bitmap resources and transparent drawing, for the logo
// that the panel paints on palette-based displays.
#ifndef AURELON_DRAW_PALETTEBITMAP_H
#define AURELON_DRAW_PALETTEBITMAP_H

#include <windows.h>

// A palette of the colour table that follows the header: 2 to the power of biBitCount
// colours for bitmaps of at most 8 bits per pixel (biClrUsed is not consulted), none
// for deeper ones. *colourCount always receives the count; NULL when there is none.
HPALETTE CreateDIBPalette(const BITMAPINFOHEADER* header, int* colourCount);

// A device-dependent bitmap of a device-independent bitmap resource, made after the
// bitmap's own palette has been realized in the foreground. The caller owns both
// results; *palette is NULL when the bitmap has no colour table or nothing was made.
// NULL when the resource is missing, too short for what its header describes, or
// the bitmap cannot be created. Pixel art is drawn at nDpi, nHeight pixels high if that
// is not 0 (see ScalePixelArt); a NULL palette asks for none.
HBITMAP LoadResourceBitmap(HINSTANCE module, LPCSTR name, HPALETTE* palette, int nDpi = 96,
                           int nHeight = 0);

// Copies bitmap to (x, y) of dc, in logical units, leaving the destination showing
// through wherever the bitmap has the transparent colour. The bitmap is unchanged
// and stays the caller's; a NULL bitmap draws nothing.
void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, short x, short y, COLORREF transparent);

#endif
