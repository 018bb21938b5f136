#include "shell/Globals.h"

namespace nv {

std::wstring GetSpecialFolderPath(IShell& shell, int csidl) {
    std::wstring path = shell.SHGetSpecialFolderPathW(csidl);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

std::wstring ExtractFileName(const std::wstring& path) {
    std::size_t pos = path.find_last_of(L"\\:");
    return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

std::wstring ExtractFileDir(const std::wstring& path) {
    std::size_t pos = path.find_last_of(L'\\');
    return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos);
}

TGlobals::TGlobals(Platform& platform) {
    dataFolder = GetSpecialFolderPath(platform.shell, kCsidlAppData) + L"Talvern\\NVA\\";
    platform.kernel.CreateDirectoryTree(dataFolder);
    programFolder = ExtractFileDir(platform.kernel.GetModuleFileNameW());
    helpFilePath = programFolder + L"\\Help.chm";
    excludeListFile = dataFolder + L"ExList.Dat";
    bringToTopFile = dataFolder + L"BttList.Dat";
    settingsFile = dataFolder + L"nva.dat";
}

}  // namespace nv
