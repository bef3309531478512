// Preset: one stored pair of 3D levels (trackbar positions) with its description.
#ifndef AURELON_PRESET_H
#define AURELON_PRESET_H

#include <string>
#include <windows.h>

class CPresetButton;

class Preset
{
public:
    Preset(int nCenter, int nSpace, const std::string& strDescription)
        : m_nCenter(nCenter), m_nSpace(nSpace), m_strDescription(strDescription),
          m_pButton(nullptr), m_bStored(TRUE)
    {
    }
    virtual ~Preset() = default;

    int m_nCenter;
    int m_nSpace;
    std::string m_strDescription;   // shown as the tooltip of its button
    CPresetButton* m_pButton;       // the button that selects it; not owned
    // The registry holds it as it is: as it was read, or as last written. A preset that
    // was never changed is never written, so that the machine's factory presets keep
    // reaching a user who has not made them his own.
    BOOL m_bStored;
};

// Reads a factory level stored as decimal text the way atoi does (leading white
// space, optional sign, digits up to the first other character, 0 without digits),
// saturating instead of overflowing.
int ParseLevelText(const char* pszText);

#endif
