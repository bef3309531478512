// The real program in the language of this run. Wine picks a program's resources and its
// ANSI code page by LC_ALL, which a Windows process cannot change for the programs it
// starts: ctest runs this suite once under each language's locale (tests/CMakeLists.txt,
// locales from scripts/lib/wine.sh), and the program inherits it. The windows are read from
// outside in UTF-16.
#include <gtest/gtest.h>
#include <algorithm>
#include <cwctype>
#include "AurelonProgram.h"
#include "LogPixels.h"
#include "resource.h"
#include <shlobj.h>

namespace
{
struct Language
{
    LANGID nLanguage;               // primary language
    UINT nCodePage;                 // 932: the dialogs are in MS UI Gothic 9, else MS Sans Serif 8
    const wchar_t* pszTitle;        // the panel's title, the string of the tray tip too
    const wchar_t* pszCenter;       // the Center label on an SRS chip
    const wchar_t* pszDescriptionCaption;
    const wchar_t* pszAboutCaption;
    const wchar_t* pszLimitMessage; // a description one character too long
    const wchar_t* pszDefault;      // a preset's description when none is stored
    const wchar_t* pszSample;       // repeated to the length limit
    const wchar_t* apszMenus[2];    // the first items of the tray menu and the preset menu
    const wchar_t* pszNoticeLabel;  // the already-running notice's label of the tray picture
    const wchar_t* apszGroup[2];    // Accessories and Multimedia, as Windows XP names them
};

const Language kLanguages[] = {
    { LANG_ENGLISH, 1252, L"Aurelon SRS 3D Audio", L"&Center", L"Change Description", L"About Aurelon 3D Audio",
      L"Please enter no more than 100 characters.", L"Preset", L"Wide stage, clear voices ",
      { L"&Settings...", L"&Save Settings" }, L"Task Bar Notification Icon:",
      { L"Accessories", L"Multimedia" } },
    { LANG_GERMAN, 1252, L"Aurelon SRS 3D-Audio", L"&Mitte", L"Beschreibung ändern", L"Info über Aurelon 3D-Audio",
      L"Bitte geben Sie höchstens 100 Zeichen ein.", L"Voreinstellung", L"Größere Räume, weiß ",
      { L"&Einstellungen...", L"Einstellungen &speichern" }, L"Symbol im Infobereich:", { L"Zubehör", L"Unterhaltungsmedien" } },
    { LANG_FRENCH, 1252, L"Aurelon SRS Audio 3D", L"&Centre", L"Modifier la description", L"À propos d'Aurelon Audio 3D",
      L"Entrez au plus 100 caractères.", L"Préréglage", L"Scène élargie, voix ",
      { L"&Paramètres...", L"&Enregistrer les réglages" }, L"Icône de la zone de notification :",
      { L"Accessoires", L"Divertissement" } },
    { LANG_SPANISH, 1252, L"Aurelon SRS Audio 3D", L"&Centro", L"Cambiar descripción", L"Acerca de Aurelon Audio 3D",
      L"Escriba como máximo 100 caracteres.", L"Preajuste", L"Música más envolvente, año ",
      { L"&Configuración...", L"&Guardar configuración" }, L"Icono del área de notificación:",
      { L"Accesorios", L"Entretenimiento" } },
    { LANG_ITALIAN, 1252, L"Aurelon SRS Audio 3D", L"&Centro", L"Modifica descrizione", L"Informazioni su Aurelon Audio 3D",
      L"Immettere al massimo 100 caratteri.", L"Preimpostazione", L"Più profondità è ",
      { L"Impo&stazioni...", L"&Salva impostazioni" }, L"Icona nell'area di notifica:", { L"Accessori", L"Svago" } },
    { LANG_JAPANESE, 932, L"Aurelon SRS 3D オーディオ", L"中央(&C)", L"説明の変更", L"Aurelon 3D オーディオのバージョン情報",
      L"100 文字以内で入力してください。", L"プリセット", L"映画館のような広がりと澄んだ声、",
      { L"設定(&S)...", L"設定の保存(&S)" }, L"通知領域のアイコン:", { L"アクセサリ", L"エンターテイメント" } },
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

// A visible dialog of the program with this caption (this process has the program's code page).
HWND DialogOf(CAurelonProgram& program, const wchar_t* pszCaption)
{
    return WaitForDialog(InCodePage(pszCaption, CP_ACP).c_str(), program.Process().GetId());
}

// Every text of the window's labels, buttons and boxes fits its control, measured in the
// language's dialog font at the DPI (a check box also holds its box).
void ExpectTextsFit(HWND hDlg, const Language& lang, int nDpi)
{
    const bool bJapanese = lang.nCodePage == 932;
    HFONT hFont = ::CreateFontW(-::MulDiv(bJapanese ? 9 : 8, nDpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, 0, 0, 0, 0, bJapanese ? L"MS UI Gothic" : L"MS Sans Serif");
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
        RECT rcCtl;
        if ((!bStatic && !bButton) || text.empty() || !::GetClientRect(hCtl, &rcCtl))
            continue;
        const int nBox = (lStyle & BS_TYPEMASK) == BS_AUTOCHECKBOX && bButton ? ::MulDiv(17, nDpi, 96) : 0;
        RECT rc = { 0, 0, rcCtl.right - nBox - (bButton && !nBox ? ::MulDiv(6, nDpi, 96) : 0), 0 };
        UINT uFormat = bStatic ? DT_WORDBREAK | ((lStyle & SS_NOPREFIX) ? DT_NOPREFIX : 0) : DT_SINGLELINE;
        ::DrawTextW(hdc, text.c_str(), -1, &rc, DT_CALCRECT | uFormat);
        EXPECT_LE(rc.right + nBox, rcCtl.right) << nDpi << " DPI: " << InCodePage(text, CP_UTF8);
        EXPECT_LE(rc.bottom, rcCtl.bottom) << nDpi << " DPI: " << InCodePage(text, CP_UTF8);
    }
    ::DeleteObject(::SelectObject(hdc, hOld));
    ::ReleaseDC(nullptr, hdc);
}

// Both menus as the program loads them (another process's menu cannot be read under Wine;
// this process picks resources by the same language): their first items, and no mnemonic
// twice in a menu.
void ExpectMenus(const Language& lang)
{
    HMODULE hProgram = ::LoadLibraryExA(BinPath("Aurelon3D.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const UINT anMenus[2] = { IDR_TRAYMENU, IDR_PRESETMENU };
    for (int i = 0; i < 2; ++i)
    {
        HMENU hMenu = ::LoadMenuW(hProgram, MAKEINTRESOURCEW(anMenus[i]));
        std::wstring mnemonics;
        for (int nItem = 0; nItem < ::GetMenuItemCount(::GetSubMenu(hMenu, 0)); ++nItem)
        {
            wchar_t szItem[128] = L"";
            ::GetMenuStringW(::GetSubMenu(hMenu, 0), static_cast<UINT>(nItem), szItem, 128, MF_BYPOSITION);
            EXPECT_TRUE(nItem != 0 || std::wstring(szItem) == lang.apszMenus[i]) << InCodePage(szItem, CP_UTF8);
            if (const wchar_t* pAmp = wcschr(szItem, L'&'))
                mnemonics += static_cast<wchar_t>(towlower(pAmp[1]));
        }
        std::sort(mnemonics.begin(), mnemonics.end());
        EXPECT_TRUE(std::adjacent_find(mnemonics.begin(), mnemonics.end()) == mnemonics.end()) << InCodePage(mnemonics, CP_UTF8);
        ::DestroyMenu(hMenu);
    }
    ::FreeLibrary(hProgram);
}

// This run's language: the row of the user's language.
class LanguageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const Language& row : kLanguages)
            if (row.nLanguage == PRIMARYLANGID(::GetUserDefaultUILanguage()))
                m_pLang = &row;
        ASSERT_NE(m_pLang, nullptr) << "no row for language " << ::GetUserDefaultUILanguage();
    }
    const Language* m_pLang = nullptr;
};

// The Change Description dialog of preset 1, or nullptr.
HWND OpenDescription(CAurelonProgram& program, const Language& lang)
{
    return program.PresetMenu(IDC_PRESET1, 3) ? DialogOf(program, lang.pszDescriptionCaption) : nullptr;
}

TEST_F(LanguageTest, EveryWindowSpeaksTheLanguageAndEveryTextFits)
{
    const Language& lang = *m_pLang;
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
        ExpectMenus(lang);

        program.Command(IDM_ABOUTBOX);
        HWND hAbout = DialogOf(program, lang.pszAboutCaption);
        ASSERT_NE(hAbout, nullptr);
        ExpectTextsFit(hAbout, lang, nDpi);
        PressDialogButton(hAbout, IDOK);

        HWND hDescription = OpenDescription(program, lang);
        ASSERT_NE(hDescription, nullptr);
        ExpectTextsFit(hDescription, lang, nDpi);
        PressDialogButton(hDescription, IDCANCEL);

        CProcess second;
        ASSERT_TRUE(second.Start("\"" + BinPath("Aurelon3D.exe") + "\""));
        HWND hNotice = DialogOf(program, L"Aurelon 3D Audio Control");
        ASSERT_NE(hNotice, nullptr);
        EXPECT_NE(::FindWindowExW(hNotice, nullptr, L"Static", lang.pszNoticeLabel), nullptr);
        ExpectTextsFit(hNotice, lang, nDpi);
        PressDialogButton(hNotice, IDOK);
        EXPECT_TRUE(second.WaitForExit(10000));
        EXPECT_TRUE(program.Exit());
    }
}

TEST_F(LanguageTest, DescriptionAtTheLimitIsKeptWholeThroughTheRegistry)
{
    const Language& lang = *m_pLang;
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
    HWND hBox = DialogOf(program, L"Aurelon3D");
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
    ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Aurelon\\Morvane\\Preset1", L"Description", RRF_RT_REG_SZ,
                   nullptr, szStored, &cbStored);
    EXPECT_EQ(std::wstring(szStored), description);
    ASSERT_TRUE(program.StartResident());   // read back as the same text
    EXPECT_EQ(program.ToolTipText(IDC_PRESET1), InCodePage(description, lang.nCodePage));
}

TEST_F(LanguageTest, InstallPutsTheShortcutIntoTheGroupOfTheSystemsLanguage)
{
    // The group's folders as that language's Windows has them ("-install" makes none).
    char szPrograms[MAX_PATH] = "", szStartup[MAX_PATH] = "";
    ASSERT_TRUE(::SHGetSpecialFolderPathA(nullptr, szPrograms, CSIDL_PROGRAMS, FALSE) &&
                ::SHGetSpecialFolderPathA(nullptr, szStartup, CSIDL_STARTUP, FALSE));
    const std::string parent = szPrograms + ("\\" + InCodePage(m_pLang->apszGroup[0], CP_ACP));
    const std::string group = parent + "\\" + InCodePage(m_pLang->apszGroup[1], CP_ACP);
    ::CreateDirectoryA(parent.c_str(), nullptr);
    ::CreateDirectoryA(group.c_str(), nullptr);
    CProcess install;
    ASSERT_TRUE(install.Start("\"" + BinPath("Aurelon3D.exe") + "\" -install") && install.WaitForExit(20000));
    EXPECT_TRUE(::DeleteFileA((group + "\\Aurelon 3D Audio Control.lnk").c_str())) << group;
    ::DeleteFileA((szStartup + std::string("\\Aurelon 3D Audio Control.lnk")).c_str());
    ::RemoveDirectoryA(group.c_str());   // only when empty: then this test made it
    ::RemoveDirectoryA(parent.c_str());
}
}
