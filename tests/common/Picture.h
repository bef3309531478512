// Pictures to compare with the screen: what a region must show, drawn from the program's
// own resources, and what it shows, copied from the screen. A comparison that fails
// saves both, so that the difference can be looked at.
#ifndef AURELON_TESTS_COMMON_PICTURE_H
#define AURELON_TESTS_COMMON_PICTURE_H

#include <gtest/gtest.h>
#include <windows.h>
#include <string>

// A 32-bit picture with a device context to draw into.
class CPicture
{
public:
    CPicture(int cx, int cy, COLORREF crFill);
    ~CPicture();
    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;

    // What the screen shows in a rectangle.
    static CPicture* FromScreen(const RECT& rc);

    int Width() const { return m_cx; }
    int Height() const { return m_cy; }
    HDC DC() const { return m_hdc; }
    COLORREF At(int x, int y) const;
    // Pixels that differ from another picture of the same size (all of them if the sizes differ).
    int Differences(const CPicture& other) const;
    // Where this picture sits inside a larger one; false when nowhere.
    bool FindIn(const CPicture& larger, POINT* pptAt) const;

    // Copies a bitmap resource to (x, y), leaving out the pixels of its top-left
    // colour (the transparent colour of the program's artwork).
    bool DrawTransparent(HMODULE hModule, UINT nBitmapID, int x, int y);
    // Draws a small icon resource (cx x cx) as the shell does.
    bool DrawIcon(HMODULE hModule, UINT nIconID, int x, int y, int cx);
    // Writes a .bmp file.
    bool Save(const std::string& path) const;

private:
    int m_cx;
    int m_cy;
    HDC m_hdc;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
    DWORD* m_pBits;
};

// The program's executable as a resource module, for the pictures it must show.
HMODULE ProgramResources();

// Polls until the screen shows the expected picture at rc's top left; on failure saves
// what it showed and what it should have shown, named after the state and the region.
::testing::AssertionResult ScreenShows(const RECT& rc, const CPicture& expected, const std::string& name,
                                       DWORD dwTimeoutMs = 5000);

#endif
