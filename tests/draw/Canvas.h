// Pixel-level helpers for the drawing tests: a memory device context over a DIB section
// whose pixels the test reads directly, and readers for bitmaps and windows.
#ifndef AURELON_TESTS_DRAW_CANVAS_H
#define AURELON_TESTS_DRAW_CANVAS_H

#include <windows.h>
#include <vector>

class CCanvas
{
public:
    // A top-down DIB section of 24 or 32 bits per pixel, selected into a memory context.
    CCanvas(int cx, int cy, int nBits = 32);
    ~CCanvas();
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    HDC GetDC() const { return m_hdc; }
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }
    COLORREF At(int x, int y) const;
    void Set(int x, int y, COLORREF cr);
    void Fill(COLORREF cr);
    // Every pixel a different colour, never a grey one: shows what was left untouched.
    void FillPattern();
    void CopyFrom(const CCanvas& other);
    // Every pixel equals the other canvas's (same size).
    bool SameAs(const CCanvas& other) const;
    // Count of pixels that differ from the other canvas.
    int CountDiffs(const CCanvas& other) const;

private:
    BYTE* Pixel(int x, int y) const;

    int m_cx;
    int m_cy;
    int m_nBits;
    int m_nStride;
    HDC m_hdc;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
    BYTE* m_pBits;
};

// A bitmap's pixels as COLORREFs, rows from the top; empty when it cannot be read.
std::vector<COLORREF> ReadBitmapPixels(HBITMAP hBitmap, int* pcx, int* pcy);

// What a window shows on the screen, its client area copied from its own device context.
void CaptureClient(HWND hWnd, CCanvas* pCanvas);

#endif
