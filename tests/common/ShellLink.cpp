#include "ShellLink.h"
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

bool ReadLink(const std::string& path, std::string& target, std::string& description,
              DWORD fFlags)
{
    IShellLinkA* pLink = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&pLink))))
        return false;
    IPersistFile* pFile = nullptr;
    bool bOK = false;
    if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile))))
    {
        wchar_t wszPath[MAX_PATH];
        ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wszPath, MAX_PATH);
        char szTarget[MAX_PATH] = "", szDescription[MAX_PATH] = "";
        bOK = SUCCEEDED(pFile->Load(wszPath, STGM_READ)) &&
              SUCCEEDED(pLink->GetPath(szTarget, MAX_PATH, nullptr, fFlags)) &&
              SUCCEEDED(pLink->GetDescription(szDescription, MAX_PATH));
        target = szTarget;
        description = szDescription;
        pFile->Release();
    }
    pLink->Release();
    return bOK;
}
