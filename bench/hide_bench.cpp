// Benchmark, run under Wine: the hide and the restore direction of the cycle against the bare
// loop of the per-window calls the platform itself must make: over N windows of one program,
// over 30 windows of 10 programs, and with the 2 programs on top busy when the hotkey comes.
// Prints the times and the ratios; it asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
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

// One program of nv_windows.exe with its windows, in Z order (the topmost first).
struct Helper {
    PROCESS_INFORMATION pi{};
    std::vector<HWND> windows;
    bool Start(int count, const std::wstring& stem = L"Bench window") {
        std::wstring cmd = L"\"" + BinDir() + L"\\nv_windows.exe\"";
        for (int i = 0; i < count; ++i) cmd += L" \"" + stem + L" " + std::to_wstring(i) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return false;
        for (int tries = 0; tries < 600; ++tries) {
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
    // Its thread stops answering for ms milliseconds from now.
    void MakeBusy(int ms) {
        PostMessageW(windows.front(), WM_APP, static_cast<WPARAM>(ms), 0);
        DWORD_PTR result;
        while (SendMessageTimeoutW(windows.front(), WM_NULL, 0, 0, SMTO_NORMAL, 5, &result)) Sleep(1);
    }
    void WaitUntilAnswering() {
        DWORD_PTR result;
        SendMessageTimeoutW(windows.front(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
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

// The windows of several programs in Z order, the topmost first.
std::vector<HWND> InZOrder(const std::vector<HWND>& windows) {
    std::vector<HWND> order;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (std::find(windows.begin(), windows.end(), h) != windows.end()) order.push_back(h);
    return order;
}

// When, on Now()'s clock, the last of these windows was hidden (or shown) by its own program,
// as the helper notes it: a window that goes by ShowWindowAsync does so after the cycle returns.
double LastDone(const std::vector<HWND>& windows, bool shown) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    double last = 0;
    for (HWND h : windows) {
        auto at = reinterpret_cast<INT_PTR>(GetPropW(h, shown ? L"NvShownAt" : L"NvHiddenAt"));
        last = std::max(last, static_cast<double>(at) * 1000.0 / static_cast<double>(f.QuadPart));
    }
    return last;
}

// Waits until every one of these windows is hidden (or shown).
void WaitUntilAll(const std::vector<HWND>& windows, bool shown) {
    for (int tries = 0; tries < 500; ++tries) {
        bool done = true;
        for (HWND h : windows) done = done && (IsWindowVisible(h) != FALSE) == shown;
        if (done) return;
        Sleep(10);
    }
}

// The per-window calls of one hide and one restore, without anything around them: what the
// platform must do to hide a window and know its thread has handled it, and to show it again
// with its style.
void BareHide(const std::vector<HWND>& windows, std::vector<LONG>& styles) {
    styles.clear();
    for (HWND h : windows) {
        DWORD_PTR result;
        LONG ex = GetWindowLongW(h, GWL_EXSTYLE);
        styles.push_back(ex);
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

// The median of the rounds' ratios: each round sets the cycle against the bare loop run right
// after it, so that a machine whose load changes between rounds tells less in the ratio.
double RatioOfRounds(const std::vector<double>& cycle, const std::vector<double>& bare) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < cycle.size() && i < bare.size(); ++i)
        ratios.push_back(cycle[i] / bare[i]);
    return Median(ratios);
}

// N windows of one program. With the windows alone, "done" is when the program's last window
// was hidden or shown, which leaves out what the cycle does afterwards (the visible-windows
// list refreshed at the end of a restore); with every option ticked the whole cycle is timed,
// and "refresh ms" is that list's refresh alone, which the last ratio leaves out.
void RunTable(nv::TMainForm& form, BareOptions* options) {
    if (options)
        std::printf("%6s %10s %10s %7s %11s %10s %7s %11s %9s\n", "N", "hide ms", "bare ms",
                    "ratio", "restore ms", "bare ms", "ratio", "refresh ms", "w/o ratio");
    else
        std::printf("%6s %10s %10s %7s %11s %10s %7s\n", "N", "hide done", "bare ms", "ratio",
                    "shown done", "bare ms", "ratio");
    for (int n : {20, 100, 500}) {
        Helper helper;
        if (!helper.Start(n)) {
            std::printf("%6d could not open the windows\n", n);
            continue;
        }
        std::vector<LONG> styles;
        BareHide(helper.windows, styles);
        BareRestore(helper.windows, styles);
        std::vector<double> hide, bareHide, restore, bareRestore, refresh, restoreWithout;
        for (int round = 0; round < 9; ++round) {
            double t0 = Now();
            form.btnHideAll.Click();
            hide.push_back(options ? Now() - t0 : LastDone(helper.windows, false) - t0);
            t0 = Now();
            form.btnHideAll.Click();
            restore.push_back(options ? Now() - t0 : LastDone(helper.windows, true) - t0);

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
            restoreWithout.push_back(restore.back() - refresh.back());
        }
        if (options)
            std::printf("%6d %10.1f %10.1f %7.2f %11.1f %10.1f %7.2f %11.1f %9.2f\n", n,
                        Median(hide), Median(bareHide), RatioOfRounds(hide, bareHide),
                        Median(restore), Median(bareRestore), RatioOfRounds(restore, bareRestore),
                        Median(refresh), RatioOfRounds(restoreWithout, bareRestore));
        else
            std::printf("%6d %10.1f %10.1f %7.2f %11.1f %10.1f %7.2f\n", n, Median(hide),
                        Median(bareHide), RatioOfRounds(hide, bareHide), Median(restore),
                        Median(bareRestore), RatioOfRounds(restore, bareRestore));
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

// 10 programs of 3 windows: the cycle against the sequential bare loop on the same windows.
// Then with the 2 programs on top busy when the hotkey comes (each answers its first message
// 400 ms late): when the other programs' last window is hidden and shown, against the bare loop
// on those same windows with nothing busy, and when the busy programs' are.
void ProgramsTable(nv::TMainForm& form) {
    constexpr int kPrograms = 10, kBusy = 2, kBusyMs = 400;
    std::vector<std::unique_ptr<Helper>> programs;
    std::vector<HWND> all;
    for (int p = 0; p < kPrograms; ++p) {
        programs.push_back(std::make_unique<Helper>());
        if (!programs.back()->Start(3, L"Program " + std::to_wstring(p) + L" window")) {
            std::printf("could not open the windows\n");
            return;
        }
        all.insert(all.end(), programs.back()->windows.begin(), programs.back()->windows.end());
    }
    // The busy ones are the programs of the topmost windows.
    all = InZOrder(all);
    std::vector<Helper*> busyPrograms;
    std::vector<HWND> others, busy;
    for (HWND h : all) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        auto owner = std::find_if(programs.begin(), programs.end(),
                                  [&](const auto& p) { return p->pi.dwProcessId == pid; });
        bool listed = std::find(busyPrograms.begin(), busyPrograms.end(), owner->get()) !=
                      busyPrograms.end();
        if (!listed && busyPrograms.size() < kBusy) {
            busyPrograms.push_back(owner->get());
            listed = true;
        }
        (listed ? busy : others).push_back(h);
    }
    auto makeBusy = [&] {
        for (Helper* program : busyPrograms) program->MakeBusy(kBusyMs);
    };
    auto waitForBusy = [&] {
        for (auto& program : programs) program->WaitUntilAnswering();
    };
    std::vector<LONG> styles;
    BareHide(all, styles);
    BareRestore(all, styles);

    std::vector<double> hide, restore, hidden, shown, bareHide, bareRestore;
    std::vector<double> othersBareHide, othersBareRestore, othersHidden, busyHidden, othersShown,
        busyShown;
    for (int round = 0; round < 9; ++round) {
        for (bool hiding : {true, false}) {
            double t0 = Now();
            form.btnHideAll.Click();
            (hiding ? hide : restore).push_back(Now() - t0);
            (hiding ? hidden : shown).push_back(LastDone(all, !hiding) - t0);
        }
        double t0 = Now();
        BareHide(all, styles);
        bareHide.push_back(Now() - t0);
        t0 = Now();
        BareRestore(all, styles);
        bareRestore.push_back(Now() - t0);
        t0 = Now();
        BareHide(others, styles);
        othersBareHide.push_back(Now() - t0);
        t0 = Now();
        BareRestore(others, styles);
        othersBareRestore.push_back(Now() - t0);
        // Shown again, the others stand above the busy ones: the Z order of before.
        BareHide(all, styles);
        BareRestore(all, styles);

        for (bool hiding : {true, false}) {
            makeBusy();
            t0 = Now();
            form.btnHideAll.Click();
            WaitUntilAll(busy, !hiding);
            (hiding ? othersHidden : othersShown).push_back(LastDone(others, !hiding) - t0);
            (hiding ? busyHidden : busyShown).push_back(LastDone(busy, !hiding) - t0);
            waitForBusy();
        }
    }
    // "done" is when the last window was hidden or shown; the cycle itself goes on with the
    // steps after the windows, the restore with the list of visible windows.
    std::printf("%10s %10s %10s %10s %7s\n", "30 windows", "cycle ms", "done ms", "bare ms",
                "ratio");
    std::printf("%10s %10.1f %10.1f %10.1f %7.2f\n", "hide", Median(hide), Median(hidden),
                Median(bareHide), RatioOfRounds(hidden, bareHide));
    std::printf("%10s %10.1f %10.1f %10.1f %7.2f\n", "restore", Median(restore), Median(shown),
                Median(bareRestore), RatioOfRounds(shown, bareRestore));
    std::printf("The %d on top busy %d ms: when the other %d programs' windows are all done, against\n"
                "the bare loop on those windows with nothing busy, and when the busy ones are:\n",
                kBusy, kBusyMs, kPrograms - kBusy);
    std::printf("%10s %10s %10s %7s %10s\n", "", "others ms", "bare ms", "ratio", "busy ms");
    std::printf("%10s %10.1f %10.1f %7.2f %10.1f\n", "hide", Median(othersHidden),
                Median(othersBareHide), RatioOfRounds(othersHidden, othersBareHide),
                Median(busyHidden));
    std::printf("%10s %10.1f %10.1f %7.2f %10.1f\n", "restore", Median(othersShown),
                Median(othersBareRestore), RatioOfRounds(othersShown, othersBareRestore),
                Median(busyShown));
    std::fflush(stdout);
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

    // Each time is the median of nine rounds, each ratio the median of the rounds' ratios; a
    // first untimed round lets the helpers finish painting their windows, which would otherwise
    // be charged to whichever loop ran first. The table of N windows is printed twice: with
    // the windows alone, and with every option of the hide ticked (wallpaper, volume, display
    // mode, shell parts), where the bare loop also makes the options' own calls (BareOptions).
    // Ten programs first: once the tray has been hidden, every restore asks the tray library
    // to put back what it hid, which the bare loop does not.
    std::printf("Ten programs:\n");
    ProgramsTable(form);
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
