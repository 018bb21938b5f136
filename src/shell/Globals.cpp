#include "shell/Globals.h"

namespace nv {

std::wstring GetSpecialFolderPath(IShell& shell, int csidl) {
    std::wstring path = shell.SHGetSpecialFolderPathW(csidl);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

TGlobals::TGlobals(Platform& platform) {
    dataFolder = GetSpecialFolderPath(platform.shell, kCsidlAppData) + L"Talvern\\NVA\\";
    platform.kernel.CreateDirectoryTree(dataFolder);
    programFolder = ExtractFileDir(platform.kernel.GetModuleFileNameW());
    helpFilePath = programFolder + L"\\Help.chm";
    excludeListFile = dataFolder + L"ExList.Dat";
    bringToTopFile = dataFolder + L"BttList.Dat";
    settingsFile = dataFolder + L"nva.dat";
    recoveryFile = dataFolder + L"Recovery.dat";
    damagedRecoveryFile = dataFolder + L"Recovery.damaged";
}

}  // namespace nv
