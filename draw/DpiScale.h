// Our own pixels at the screen's DPI. Windows XP and Wine grow the dialog font with the
// DPI but never stretch a window, so the panel's hand-placed pixels and its pixel art
// must grow by themselves, from sizes given at 96 DPI (100 %).
#ifndef AURELON_DRAW_DPISCALE_H
#define AURELON_DRAW_DPISCALE_H

#include <windows.h>
#include <memory>

const int kBaseDpi = 96;

// The DPI that the screen's dialog fonts follow (LOGPIXELSY).
int ScreenDpi();

// n pixels at 96 DPI, at nDpi.
int ScaleToDpi(int n, int nDpi);

// The packed device-independent bitmap at header (at most 8 bits per pixel, uncompressed
// or run-length encoded, its colour table and bits following) drawn at nDpi, or nHeight pixels high when that is
// not 0, as a packed bitmap of the same format and colour table. The 1x art is doubled
// with Scale2x (edges follow diagonals and no colour is ever mixed, so a transparent
// colour stays exact) until it is at least as large as asked for, then picked down to
// the size by nearest neighbour, uncompressed. NULL for bitmaps of another format.
std::unique_ptr<BYTE[]> ScalePixelArt(const BITMAPINFOHEADER* header, int nDpi, int nHeight = 0);

#endif
