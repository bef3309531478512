// Pixel-level helpers: a memory device context over a DIB section whose pixels a test
// reads directly, readers for bitmaps, windows and the screen, and the comparison of what
// the screen shows with a picture drawn from the program's own resources.
#ifndef AURELON_TESTS_COMMON_CANVAS_H
#define AURELON_TESTS_COMMON_CANVAS_H

#include <windows.h>
#include <gtest/gtest.h>
#include "draw/DpiScale.h"
#include <string>
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
    // Every pixel equals the other canvas's (of the same size).
    bool SameAs(const CCanvas& other) const;
    // Count of pixels that differ from the other canvas (all of them when the sizes differ).
    int CountDiffs(const CCanvas& other) const;
    // Where this canvas's picture sits inside a larger canvas; false when nowhere.
    bool FindIn(const CCanvas& larger, POINT* pptAt) const;

    // What the screen shows in a rectangle (32 bits per pixel).
    static CCanvas* FromScreen(const RECT& rc);
    // A picture kept in tests/reference (NAME.png), made once and looked at: what the program
    // must show where the test cannot draw it independently. NULL when it cannot be read.
    static CCanvas* FromReference(const std::string& name);
    // Copies a bitmap resource at a DPI (see BitmapPixels) to (x, y), leaving out the pixels
    // of its top-left colour (the transparent colour of the program's artwork).
    bool DrawTransparent(HMODULE hModule, UINT nBitmapID, int x, int y, int nDpi = kBaseDpi);
    // Draws an icon resource's image of cx x cx pixels at (x, y).
    bool DrawIcon(HMODULE hModule, UINT nIconID, int x, int y, int cx);
    // Writes a .bmp file.
    bool Save(const std::string& path) const;

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
// The pixels of a bitmap resource as a program drawing at nDpi shows it: at 96 DPI the
// resource itself, else its reference picture at that DPI (art-ID-DPI.png).
std::vector<COLORREF> BitmapPixels(HMODULE hModule, UINT nBitmapID, int nDpi, int* pcx, int* pcy);

// What a window shows on the screen, its client area copied from its own device context.
void CaptureClient(HWND hWnd, CCanvas* pCanvas);

// The program's executable as a resource module, for the pictures it must show.
HMODULE ProgramResources();

// Polls until the screen shows the expected picture at rc's top left; on failure saves what
// it showed and what it should have shown (failed-pictures\<name>-shown.bmp, -expected.bmp).
::testing::AssertionResult ScreenShows(const RECT& rc, const CCanvas& expected, const std::string& name,
                                       DWORD dwTimeoutMs = 5000);
// Saves a picture as failed-pictures\<name>.bmp; returns the path.
std::string SaveFailedPicture(const CCanvas& picture, const std::string& name);

#endif
