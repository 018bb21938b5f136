// Benchmark, run under Wine: the hide and the restore direction of the cycle over N windows of
// another process, against the bare loop of the same per-window calls. Prints the times and the
// ratios; it asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "conceal/RecoveryFile.h"
#include "conceal/ShellPartsStep.h"
#include "conceal/WallpaperStep.h"
#include "display/DisplayFunctions.h"
#include "platform/win32/Win32Platform.h"
#include "shell/Globals.h"
#include "shell/Program.h"
#include "ui/MainForm.h"
#include "widgets/win32/Win32Backend.h"

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

std::wstring BinDir() {
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

struct Helper {
    PROCESS_INFORMATION pi{};
    std::vector<HWND> windows;
    bool Start(int count) {
        std::wstring cmd = L"\"" + BinDir() + L"\\nv_windows.exe\"";
        for (int i = 0; i < count; ++i) cmd += L" \"Bench window " + std::to_wstring(i) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return false;
        for (int tries = 0; tries < 200; ++tries) {
            windows.clear();
            for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
                DWORD pid = 0;
                GetWindowThreadProcessId(h, &pid);
                if (pid == pi.dwProcessId && IsWindowVisible(h)) windows.push_back(h);
            }
            if (static_cast<int>(windows.size()) >= count) return true;
            Sleep(50);
        }
        return false;
    }
    ~Helper() {
        if (pi.hProcess) {
            TerminateProcess(pi.hProcess, 0);
            WaitForSingleObject(pi.hProcess, 5000);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
    }
};

// The per-window calls of one hide and one restore, without anything around them.
void BareHide(const std::vector<HWND>& windows, std::vector<LONG>& styles) {
    styles.clear();
    for (HWND h : windows) {
        DWORD_PTR result;
        LONG ex = GetWindowLongW(h, GWL_EXSTYLE);
        styles.push_back(ex);
        SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 150, &result);
        SetWindowLongW(h, GWL_EXSTYLE, ex & WS_EX_TOOLWINDOW);
        PostMessageW(h, WM_PAINT, 0, 0);
        ShowWindow(h, SW_HIDE);
        SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result);
    }
}

void BareRestore(const std::vector<HWND>& windows, const std::vector<LONG>& styles) {
    for (size_t i = windows.size(); i-- > 0;) {
        SetWindowLongW(windows[i], GWL_EXSTYLE, styles[i]);
        ShowWindow(windows[i], SW_SHOWNA);
    }
}

// The options' own calls, made straight on the platform as the steps make them, without the
// steps around them: the wallpaper's setting and its broadcast, the volume, the display mode
// and the tray. With every option ticked the bare loop does these too, so that the ratio weighs
// what the cycle adds, not what the system charges for the options themselves.
struct BareOptions {
    BareOptions(nv::Platform& platform, std::int32_t mode) : os(platform), modeNumber(mode) {}
    nv::Platform& os;
    std::int32_t modeNumber;
    std::wstring wallpaper;
    std::wstring endpoint;
    float volume = 0;
    bool muted = false;
    nv::DisplayMode mode;
    bool modeSaved = false;

    void Hide() {
        if (auto read = os.audio.GetMasterVolume(L"")) {
            endpoint = read->endpointId;
            volume = read->scalar;
            muted = read->muted;
        }
        if (os.audio.SetMasterVolumeLevelScalar(endpoint, 1.0f)) os.audio.SetMute(endpoint, false);
        modeSaved = os.display.EnumDisplaySettingsW(nv::kEnumCurrentSettings, mode);
        if (auto selected = nv::ListedDisplayMode(os.display, modeNumber))
            os.display.ChangeDisplaySettingsW(*selected, nv::kDisplayModeApplyFlags);
        os.wallpaper.ActiveDesktopEnabled();
        wallpaper = os.registry
                        .ReadString(nv::RegistryHive::CurrentUser, nv::kDesktopKey,
                                    nv::kWallpaperValue)
                        .value_or(L"");
        os.registry.WriteString(nv::RegistryHive::CurrentUser, nv::kDesktopKey,
                                nv::kWallpaperValue, L"", true);
        os.wallpaper.SetDeskWallpaper(L"");
        os.tray.HideTray(1, nv::kTrayAccessCode);
    }
    void Restore() {
        os.tray.RestoreTray();
        os.wallpaper.ActiveDesktopEnabled();
        os.registry.WriteString(nv::RegistryHive::CurrentUser, nv::kDesktopKey,
                                nv::kWallpaperValue, wallpaper, true);
        os.wallpaper.SetDeskWallpaper(wallpaper);
        if (modeSaved) os.display.ChangeDisplaySettingsW(mode, nv::kDisplayModeApplyFlags);
        if (os.audio.SetMasterVolumeLevelScalar(endpoint, volume))
            os.audio.SetMute(endpoint, muted);
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void RunTable(nv::TMainForm& form, BareOptions* options) {
    std::printf("%6s %10s %10s %7s %11s %10s %7s %11s %9s\n", "N", "hide ms", "bare ms", "ratio",
                "restore ms", "bare ms", "ratio", "refresh ms", "w/o ratio");
    for (int n : {20, 100, 500}) {
        Helper helper;
        if (!helper.Start(n)) {
            std::printf("%6d could not open the windows\n", n);
            continue;
        }
        std::vector<LONG> styles;
        BareHide(helper.windows, styles);
        BareRestore(helper.windows, styles);
        std::vector<double> hide, bareHide, restore, bareRestore, refresh;
        for (int round = 0; round < 9; ++round) {
            double t0 = Now();
            form.btnHideAll.Click();
            hide.push_back(Now() - t0);
            t0 = Now();
            form.btnHideAll.Click();
            restore.push_back(Now() - t0);

            t0 = Now();
            if (options) options->Hide();
            BareHide(helper.windows, styles);
            bareHide.push_back(Now() - t0);
            t0 = Now();
            BareRestore(helper.windows, styles);
            if (options) options->Restore();
            bareRestore.push_back(Now() - t0);

            t0 = Now();
            form.RefreshAvailableWindows();
            refresh.push_back(Now() - t0);
        }
        double h = Median(hide), bh = Median(bareHide), r = Median(restore),
               br = Median(bareRestore);
        double f = Median(refresh);
        std::printf("%6d %10.1f %10.1f %7.2f %11.1f %10.1f %7.2f %11.1f %9.2f\n", n, h, bh, h / bh,
                    r, br, r / br, f, (r - f) / br);
        std::fflush(stdout);
    }
}

// What the recovery record adds to one hide of N windows: the record written once before the
// windows go (a temporary file, flushed, then a replace) and removed at the restore.
void RecordCost(nv::IKernel& kernel, const std::wstring& folder) {
    std::printf("%6s %12s %12s\n", "N", "write ms", "remove ms");
    for (int n : {20, 100, 500}) {
        nv::TRecoveryFile file(kernel, folder + L"Bench.dat", folder + L"Bench.damaged");
        std::vector<double> write, remove;
        for (int round = 0; round < 9; ++round) {
            nv::TRecoveryRecord record;
            for (int i = 0; i < n; ++i)
                record.Add("window", {std::uint64_t(0x10000 + i * 6 + round), std::uint64_t(0x108),
                                      std::uint64_t(0x1dd8820382fa660), std::uint64_t(0x300)});
            double t0 = Now();
            file.Write(record);
            write.push_back(Now() - t0);
            t0 = Now();
            file.Write(nv::TRecoveryRecord());
            remove.push_back(Now() - t0);
        }
        std::printf("%6d %12.2f %12.2f\n", n, Median(write), Median(remove));
    }
}

}  // namespace

int wmain() {
    nv::Win32Platform os;
    nv::Platform platform = os.AsPlatform();
    nv::Win32WidgetBackend backend(platform);
    nv::TProgram program(platform, backend);
    if (!program.Start()) return 1;
    nv::TMainForm& form = *program.MainForm();
    form.Hide();

    // Each figure is the median of nine rounds; a first untimed round lets the helper finish
    // painting its windows, which would otherwise be charged to whichever loop ran first.
    // The restore direction of the cycle ends by listing the visible windows afresh for the
    // main window; "refresh ms" is that listing alone, timed in the same rounds, and the last
    // ratio sets the restore without it against the bare loop: how soon the windows are back.
    // The table is printed twice: with the windows alone, and with every option of the hide
    // ticked (wallpaper, volume, display mode, shell parts), where the bare loop also makes the
    // options' own calls (BareOptions).
    nv::TCheckBox* options[] = {&form.cbHideWallapaper,   &form.cbModifyVolume,
                                &form.cbSwitchResolution, &form.cbHideDeskTop,
                                &form.cbHideTaskBar,      &form.cbHideTray};
    for (bool every : {false, true}) {
        for (nv::TCheckBox* box : options) box->SetChecked(every);
        std::printf("%s\n", every ? "Every option ticked:" : "The windows alone:");
        BareOptions bare(platform, form.selectedModeNumber);
        RunTable(form, every ? &bare : nullptr);
    }
    std::printf("The recovery record alone:\n");
    RecordCost(platform.kernel, program.Globals().dataFolder);
    program.Finish();
    return 0;
}
