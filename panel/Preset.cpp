#include "panel/Preset.h"
#include <limits.h>

int ParseLevelText(const char* pszText)
{
    const char* p = pszText;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool bNegative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    long long nValue = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
    {
        nValue = nValue * 10 + (*p - '0');
        if (nValue > static_cast<long long>(INT_MAX) + 1)
            nValue = static_cast<long long>(INT_MAX) + 1;
    }
    if (bNegative)
        return static_cast<int>(-nValue);
    return nValue > INT_MAX ? INT_MAX : static_cast<int>(nValue);
}
