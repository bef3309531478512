// The real program in the language of this run. Wine picks a program's resources and its
// ANSI code page by LC_ALL, which a Windows process cannot change for the programs it
// starts: ctest runs this suite once under each language's locale (tests/CMakeLists.txt,
// locales from scripts/lib/wine.sh), and the program inherits it. The windows are read from
// outside in UTF-16.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "LogPixels.h"
#include "RegistrySandbox.h"
#include "resource.h"

namespace
{
struct Language
{
    LANGID nLanguage;               // primary language
    UINT nCodePage;
    const wchar_t* pszFace;         // the dialogs' font
    int nPoints;
    const wchar_t* pszTitle;        // the panel's title and the tray tip
    const wchar_t* pszCenter;       // the Center label on an SRS chip
    const wchar_t* pszDescriptionCaption;
    const wchar_t* pszAboutCaption;
    const wchar_t* pszLimitMessage; // a description one character too long
    const wchar_t* pszDefault;      // a preset's description when none is stored
    const wchar_t* pszSample;       // repeated to the length limit
};

const Language kLanguages[] = {
    { LANG_ENGLISH, 1252, L"MS Sans Serif", 8, L"Aurelon SRS 3D Audio", L"&Center",
      L"Change Description", L"About Aurelon 3D Audio",
      L"Please enter no more than 100 characters.", L"Preset", L"Wide stage, clear voices " },
    { LANG_GERMAN, 1252, L"MS Sans Serif", 8, L"Aurelon SRS 3D-Audio", L"&Mitte",
      L"Beschreibung ändern", L"Info über Aurelon 3D-Audio",
      L"Bitte geben Sie höchstens 100 Zeichen ein.", L"Voreinstellung", L"Größere Räume, weiß " },
    { LANG_FRENCH, 1252, L"MS Sans Serif", 8, L"Aurelon SRS Audio 3D", L"&Centre",
      L"Modifier la description", L"À propos d'Aurelon Audio 3D",
      L"Entrez au plus 100 caractères.", L"Préréglage", L"Scène élargie, voix " },
    { LANG_SPANISH, 1252, L"MS Sans Serif", 8, L"Aurelon SRS Audio 3D", L"&Centro",
      L"Cambiar descripción", L"Acerca de Aurelon Audio 3D",
      L"Escriba como máximo 100 caracteres.", L"Preajuste", L"Música más envolvente, año " },
    { LANG_ITALIAN, 1252, L"MS Sans Serif", 8, L"Aurelon SRS Audio 3D", L"&Centro",
      L"Modifica descrizione", L"Informazioni su Aurelon Audio 3D",
      L"Immettere al massimo 100 caratteri.", L"Preimpostazione", L"Più profondità è " },
    { LANG_JAPANESE, 932, L"MS UI Gothic", 9, L"Aurelon SRS 3D オーディオ", L"中央(&C)",
      L"説明の変更", L"Aurelon 3D オーディオのバージョン情報",
      L"100 文字以内で入力してください。", L"プリセット", L"映画館のような広がりと澄んだ声、" },
};
const int kLimit = 100;

std::wstring TextOf(HWND hWnd)
{
    wchar_t szText[512] = L"";
    ::GetWindowTextW(hWnd, szText, 512);
    return szText;
}

std::string InCodePage(const std::wstring& text, UINT nCodePage)
{
    std::string bytes(text.size() * 4 + 1, '\0');
    int cb = ::WideCharToMultiByte(nCodePage, 0, text.c_str(), -1, &bytes[0], static_cast<int>(bytes.size()),
                                   nullptr, nullptr);
    bytes.resize(cb > 0 ? static_cast<size_t>(cb - 1) : 0);
    return bytes;
}

// A visible dialog of the program other than the panel, with this caption (nullptr: any).
HWND WaitForOwnDialog(const CAurelonProgram& program, const wchar_t* pszCaption)
{
    HWND hFound = nullptr;
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(program.Panel(), &dwProcessId);
    WaitUntil([&] {
        for (HWND hWnd : FindTopWindows("#32770", nullptr, dwProcessId))
            if (hWnd != program.Panel() && ::IsWindowVisible(hWnd) && (pszCaption == nullptr || TextOf(hWnd) == pszCaption))
                hFound = hWnd;
        return hFound != nullptr;
    });
    return hFound;
}

// Every text of the window's labels, buttons and boxes fits its control, measured in the
// language's dialog font at the DPI (a check box also holds its box).
void ExpectTextsFit(HWND hDlg, const Language& lang, int nDpi)
{
    HFONT hFont = ::CreateFontW(-::MulDiv(lang.nPoints, nDpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, 0, 0, 0, 0, lang.pszFace);
    HDC hdc = ::GetDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hdc, hFont);
    for (HWND hCtl = ::GetWindow(hDlg, GW_CHILD); hCtl != nullptr; hCtl = ::GetWindow(hCtl, GW_HWNDNEXT))
    {
        wchar_t szClass[32] = L"";
        ::GetClassNameW(hCtl, szClass, 32);
        const LONG lStyle = ::GetWindowLongW(hCtl, GWL_STYLE);
        const bool bStatic = lstrcmpiW(szClass, L"Static") == 0 && (lStyle & SS_TYPEMASK) <= SS_RIGHT;
        const bool bButton = lstrcmpiW(szClass, L"Button") == 0 && (lStyle & BS_TYPEMASK) != BS_OWNERDRAW;
        const std::wstring text = TextOf(hCtl);
        if ((!bStatic && !bButton) || text.empty())
            continue;
        RECT rcCtl;
        ::GetClientRect(hCtl, &rcCtl);
        const int nBox = (lStyle & BS_TYPEMASK) == BS_AUTOCHECKBOX && bButton ? ::MulDiv(17, nDpi, 96) : 0;
        RECT rc = { 0, 0, rcCtl.right - nBox - (bButton && !nBox ? ::MulDiv(6, nDpi, 96) : 0), 0 };
        UINT uFormat = bStatic ? DT_WORDBREAK | ((lStyle & SS_NOPREFIX) ? DT_NOPREFIX : 0) : DT_SINGLELINE;
        ::DrawTextW(hdc, text.c_str(), -1, &rc, DT_CALCRECT | uFormat);
        EXPECT_LE(rc.right + nBox, rcCtl.right) << nDpi << " DPI: " << InCodePage(text, CP_UTF8);
        EXPECT_LE(rc.bottom, rcCtl.bottom) << nDpi << " DPI: " << InCodePage(text, CP_UTF8);
    }
    ::SelectObject(hdc, hOld);
    ::ReleaseDC(nullptr, hdc);
    ::DeleteObject(hFont);
}

// This run's language: the row of the user's language.
const Language* RunLanguage()
{
    for (const Language& lang : kLanguages)
        if (lang.nLanguage == PRIMARYLANGID(::GetUserDefaultUILanguage()))
            return &lang;
    return nullptr;
}

// The Change Description dialog of preset 1, or nullptr.
HWND OpenDescription(const CAurelonProgram& program, const Language& lang)
{
    return program.PresetMenu(IDC_PRESET1, 3) ? WaitForOwnDialog(program, lang.pszDescriptionCaption) : nullptr;
}

TEST(LanguageTest, EveryWindowSpeaksTheLanguageAndEveryTextFits)
{
    const Language* pLang = RunLanguage();
    ASSERT_NE(pLang, nullptr) << "no row for language " << ::GetUserDefaultUILanguage();
    const Language& lang = *pLang;
    for (int nDpi : { 96, 144 })
    {
        CLogPixels dpi(static_cast<DWORD>(nDpi));
        CAurelonProgram program;
        ASSERT_TRUE(program.StartResident());
        ASSERT_TRUE(program.ShowPanel());
        EXPECT_EQ(TextOf(program.Panel()), lang.pszTitle);
        EXPECT_EQ(TextOf(program.Control(IDC_CENTER_LABEL)), lang.pszCenter);
        EXPECT_EQ(program.ToolTipText(IDC_PRESET1), InCodePage(lang.pszDefault, lang.nCodePage));
        ExpectTextsFit(program.Panel(), lang, nDpi);

        program.Command(IDM_ABOUTBOX);
        HWND hAbout = WaitForOwnDialog(program, lang.pszAboutCaption);
        ASSERT_NE(hAbout, nullptr);
        ExpectTextsFit(hAbout, lang, nDpi);
        PressDialogButton(hAbout, IDOK);

        HWND hDescription = OpenDescription(program, lang);
        ASSERT_NE(hDescription, nullptr);
        ExpectTextsFit(hDescription, lang, nDpi);
        PressDialogButton(hDescription, IDCANCEL);

        CProcess second;
        ASSERT_TRUE(second.Start("\"" + BinPath("Aurelon3D.exe") + "\""));
        HWND hNotice = WaitForOwnDialog(program, L"Aurelon 3D Audio Control");
        ASSERT_NE(hNotice, nullptr);
        ExpectTextsFit(hNotice, lang, nDpi);
        PressDialogButton(hNotice, IDOK);
        EXPECT_TRUE(second.WaitForExit(10000));
        EXPECT_TRUE(program.Exit());
    }
}

TEST(LanguageTest, DescriptionAtTheLimitIsKeptWholeThroughTheRegistry)
{
    const Language* pLang = RunLanguage();
    ASSERT_NE(pLang, nullptr) << "no row for language " << ::GetUserDefaultUILanguage();
    const Language& lang = *pLang;
    std::wstring description;
    while (description.size() < kLimit)
        description += lang.pszSample;
    description.resize(kLimit);
    CAurelonProgram program;
    ASSERT_TRUE(program.StartResident());
    HWND hDlg = OpenDescription(program, lang);
    ASSERT_NE(hDlg, nullptr);
    // One character too many: refused, with the count the user sees.
    ::SetWindowTextW(::GetDlgItem(hDlg, IDC_DESCRIPTION), (description + lang.pszSample[0]).c_str());
    PressDialogButton(hDlg, IDOK);
    HWND hBox = WaitForOwnDialog(program, L"Aurelon3D");
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(TextOf(::GetDlgItem(hBox, 0xFFFF)), lang.pszLimitMessage);
    PressDialogButton(hBox, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindow(hBox) == FALSE; }));
    ::SetWindowTextW(::GetDlgItem(hDlg, IDC_DESCRIPTION), description.c_str());
    PressDialogButton(hDlg, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindow(hDlg) == FALSE; }));
    EXPECT_EQ(program.ToolTipText(IDC_PRESET1), InCodePage(description, lang.nCodePage));
    ASSERT_TRUE(program.Exit());

    wchar_t szStored[256] = L"";
    DWORD cbStored = sizeof(szStored);
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Aurelon\\Morvane\\Preset1", L"Description",
                             RRF_RT_REG_SZ, nullptr, szStored, &cbStored), ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(szStored), description);
    ASSERT_TRUE(program.StartResident());   // read back as the same text
    EXPECT_EQ(program.ToolTipText(IDC_PRESET1), InCodePage(description, lang.nCodePage));
}
}
