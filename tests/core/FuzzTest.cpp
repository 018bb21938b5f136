// Hostile input for every parser of what the program reads from disk and the registry: nva.dat's
// values, the hotkey texts and the recovery record (the list files' records are taken as they
// lie, with nothing to parse). Each fuzzer feeds a seeded generator's inputs for a bounded time
// (NV_FUZZ_SECONDS each, a fraction of a second by default; `make fuzz` runs them for minutes
// with a fresh seed) and checks what must hold for any input. The inputs kept in
// tests/fuzz/<fuzzer>/ run first every time: each once found a fault. A fuzzer that finds one
// prints the seed and writes the input to fuzz-findings/, and a crash leaves the input it
// crashed on in fuzz-crash-<fuzzer>.bin.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

#include "conceal/HideCycle.h"
#include "conceal/RecoveryRecord.h"
#include "shell/SettingsStore.h"
#include "support/Harness.h"
#include "triggers/Shortcuts.h"

namespace nv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// The driver

double Seconds() {
    const char* text = std::getenv("NV_FUZZ_SECONDS");
    return text ? std::atof(text) : 0.4;
}

std::uint64_t Seed() {
    const char* text = std::getenv("NV_FUZZ_SEED");
    return text ? std::strtoull(text, nullptr, 0) : 20261209;
}

// The input being tried, for the crash handler.
std::string g_crashFile;
Bytes g_current;

extern "C" void OnCrash(int signal) {
    int fd = ::open(g_crashFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        ssize_t written = ::write(fd, g_current.data(), g_current.size());
        (void)written;
        ::close(fd);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

class Fuzzer {
  public:
    explicit Fuzzer(std::string name) : m_name(std::move(name)), m_random(Seed()) {
        g_crashFile = "fuzz-crash-" + m_name + ".bin";
        for (int s : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS}) std::signal(s, OnCrash);
    }
    ~Fuzzer() {
        for (int s : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS}) std::signal(s, SIG_DFL);
    }
    std::mt19937_64& Random() { return m_random; }
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : m_random() % n; }

    // The kept inputs first, then generated ones until the time is up; check returns an empty
    // text when all holds for the input, else what did not.
    void Run(const std::function<Bytes(Fuzzer&)>& generate,
             const std::function<std::string(const Bytes&)>& check) {
        fs::path kept = fs::path(NV_FUZZ_INPUTS) / m_name;
        if (fs::is_directory(kept))
            for (const auto& file : fs::directory_iterator(kept)) {
                std::ifstream in(file.path(), std::ios::binary);
                Try(Bytes(std::istreambuf_iterator<char>(in), {}), check, file.path().string());
            }
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(Seconds());
        std::size_t runs = 0;
        while (std::chrono::steady_clock::now() < end && !::testing::Test::HasFailure()) {
            Try(generate(*this), check, "");
            ++runs;
        }
        ::testing::Test::RecordProperty("runs", static_cast<int>(runs));
        std::printf("%s: %zu inputs, seed %llu\n", m_name.c_str(), runs,
                    static_cast<unsigned long long>(Seed()));
    }

    // A few edits of a valid input: bits flipped, bytes dropped, repeated or cut off.
    Bytes Mutate(Bytes bytes) {
        int edits = 1 + static_cast<int>(Below(4));
        for (int i = 0; i < edits && !bytes.empty(); ++i) {
            std::size_t at = Below(bytes.size());
            switch (Below(6)) {
                case 0: bytes[at] ^= static_cast<std::uint8_t>(1u << Below(8)); break;
                case 1: bytes[at] = static_cast<std::uint8_t>(m_random()); break;
                case 2: bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at)); break;
                case 3: bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes[Below(bytes.size())]); break;
                case 4: bytes.resize(at); break;
                default: bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(" \r\n\"0fz=+[]"[Below(11)])); break;
            }
        }
        return bytes;
    }
    Bytes RandomBytes(std::size_t maxSize) {
        Bytes bytes(Below(maxSize + 1));
        for (auto& b : bytes) b = static_cast<std::uint8_t>(m_random());
        return bytes;
    }

  private:
    void Try(const Bytes& input, const std::function<std::string(const Bytes&)>& check,
             const std::string& from) {
        g_current = input;
        std::string fault = check(input);
        if (fault.empty()) return;
        fs::create_directories("fuzz-findings");
        std::string file = "fuzz-findings/" + m_name + "-" + std::to_string(std::hash<std::string>()(std::string(input.begin(), input.end())));
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(input.data()),
                                                    static_cast<std::streamsize>(input.size()));
        ADD_FAILURE() << m_name << ": " << fault << (from.empty() ? "" : " (kept input " + from + ")")
                      << "; seed " << Seed() << ", input written to " << file;
    }

    std::string m_name;
    std::mt19937_64 m_random;
};

std::wstring Widen(const Bytes& bytes) {
    // Two bytes a unit, so any UTF-16 text, lone surrogates and zeros included, can come out.
    std::wstring text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    return text;
}

Bytes Narrow(const std::wstring& text) {
    Bytes bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

// Text made of the pieces a parser looks for, and now and then anything at all.
std::wstring PieceText(Fuzzer& f, const std::vector<std::wstring>& pieces, std::size_t count) {
    std::wstring text;
    for (std::size_t i = f.Below(count + 1); i > 0; --i) {
        if (f.Below(8) == 0)
            text += static_cast<wchar_t>(f.Random()() & 0xFFFF);
        else
            text += pieces[f.Below(pieces.size())];
    }
    return text;
}

// ---------------------------------------------------------------------------------------------
// nva.dat: the number parser and a whole file read into the controls

TEST(Fuzz, SettingsValues) {
    Fuzzer("settingsvalues").Run(
        [](Fuzzer& f) {
            static const std::vector<std::wstring> pieces = {
                L"0", L"1", L"9", L"-", L"+", L"0x", L"0X", L"f", L"F", L"g", L" ", L"2147483647",
                L"2147483648", L"4294967295", L"4294967296", L"ffffffff", L"\x0660", L"\xff10"};
            return Narrow(PieceText(f, pieces, 6));
        },
        [](const Bytes& bytes) -> std::string {
            std::wstring text = Widen(bytes);
            auto value = ParseInteger(text);
            if (!value) return {};
            // What parsed must be a decimal or a "0x" hexadecimal text of that value.
            bool hex = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
            if (hex) {
                std::wstring digits = text.substr(2);
                while (digits.size() > 1 && digits[0] == L'0') digits.erase(0, 1);
                wchar_t expected[16];
                std::swprintf(expected, 16, L"%x", static_cast<std::uint32_t>(*value));
                for (auto& c : digits) c = static_cast<wchar_t>(std::towlower(c));
                if (digits != expected) return "hex text parsed to another value";
            } else {
                std::wstring digits = text;
                bool negative = !digits.empty() && digits[0] == L'-';
                if (!digits.empty() && (digits[0] == L'-' || digits[0] == L'+')) digits.erase(0, 1);
                while (digits.size() > 1 && digits[0] == L'0') digits.erase(0, 1);
                std::wstring expected = std::to_wstring(static_cast<std::int64_t>(*value));
                if (negative && *value != 0) digits = L"-" + digits;
                if (digits != expected) return "decimal text parsed to another value";
            }
            return {};
        });
}

TEST(Fuzz, SettingsFile) {
    Harness h;
    ASSERT_TRUE(h.Start());
    const std::wstring file = h.Globals().settingsFile;
    Fuzzer fuzzer("settingsfile");
    fuzzer.Run(
        [](Fuzzer& f) {
            static const std::vector<std::wstring> pieces = {
                L"[Sounds]\r\n", L"[General]\r\n", L"[SpecialWindows]\r\n", L"[Display]\r\n",
                L"[HOTKEY_Windows]\r\n", L"[MouseShortcut_Windows]\r\n", L"[MouseShortcut_SSaver]\r\n",
                L"Volume=", L"VolumeMuted=", L"Corner=", L"ZoneSize=", L"HoverInterval=",
                L"Resolution=", L"Key=", L"Enabled=", L"HideDesktop=", L"Tray=", L"-1", L"0x",
                L"65536", L"257", L"2147483648", L"Ctrl+", L"Alt+", L"\r\n", L"=", L"\"", L"'"};
            // The in-memory profile keeps its files in Latin-1, a byte a character.
            Bytes bytes;
            for (wchar_t c : PieceText(f, pieces, 40)) bytes.push_back(static_cast<std::uint8_t>(c));
            return bytes;
        },
        [&](const Bytes& bytes) -> std::string {
            h.desktop.ReplaceFileContents(file, bytes);
            h.Form().LoadSettings();
            TGlobals& g = h.Globals();
            for (const TMouseShortcutInfo* corner : {&g.hideCornerShortcut, &g.screenSaverCornerShortcut})
                if (corner->HoverStart != 0) return "a corner's hover start survived a load";
            // Saved and loaded again, every value stays what it was.
            int volume = h.Form().volumeSettings.desiredVolume;
            bool muted = h.Form().volumeSettings.desiredMute;
            TMouseShortcutInfo corner = g.hideCornerShortcut;
            std::int32_t mode = h.Form().selectedModeNumber;
            h.Form().SaveSettings();
            h.Form().LoadSettings();
            if (h.Form().volumeSettings.desiredVolume != volume ||
                h.Form().volumeSettings.desiredMute != muted)
                return "the volume changed in a save";
            if (g.hideCornerShortcut.ZoneSize != corner.ZoneSize ||
                g.hideCornerShortcut.HoverInterval != corner.HoverInterval ||
                g.hideCornerShortcut.Corner != corner.Corner)
                return "the hide corner changed in a save";
            if (h.Form().selectedModeNumber != mode) return "the display mode changed in a save";
            return {};
        });
}

// ---------------------------------------------------------------------------------------------
// The hotkey texts

TEST(Fuzz, HotkeyTexts) {
    FakeDesktop desktop;
    Fuzzer("hotkeytexts").Run(
        [](Fuzzer& f) {
            static const std::vector<std::wstring> pieces = {
                L"Ctrl+", L"ctrl+", L"Shift+", L"Alt+", L"^", L"+", L"A", L"z", L"F1", L"F24",
                L"F25", L"Num +", L"Num", L" ", L"`", L"\\", L"Pause", L"Esc", L"Space", L"0",
                L"/", L"Scroll Lock", L"\x0130", L"\x00df"};
            return Narrow(PieceText(f, pieces, 5));
        },
        [&](const Bytes& bytes) -> std::string {
            TShortCut shortcut = ParseShortcut(desktop, desktop, Widen(bytes));
            if (shortcut == 0) return {};
            if ((shortcut & kScKeyMask) > 255) return "a key code above one byte";
            // A text that names a combination names it again once written out.
            std::wstring text = FormatShortcut(desktop, shortcut);
            if (ParseShortcut(desktop, desktop, text) != shortcut)
                return "\"" + ToUtf8(text) + "\" does not read back as the same combination";
            return {};
        });
}

// ---------------------------------------------------------------------------------------------
// The recovery record

// Numbers that name something on the desktop under test, so that lines reach deep.
std::vector<std::uint64_t> g_known;

// A record of lines with the program's own tags and fields of any kind, most of them sensible.
TRecoveryRecord RandomRecord(Fuzzer& f) {
    static const char* tags[] = {"window",  "wallpaper",   "display",     "volume", "desktopicons",
                                 "taskbar", "traytoolbar", "programmute", "other"};
    TRecoveryRecord record;
    for (std::size_t n = f.Below(6); n > 0; --n) {
        std::vector<TRecordField> fields;
        for (std::size_t i = f.Below(10); i > 0; --i) {
            if (f.Below(5) == 0) {
                std::wstring text;
                for (std::size_t j = f.Below(8); j > 0; --j)
                    text += static_cast<wchar_t>(f.Random()() & 0xFFFF);
                fields.emplace_back(std::move(text));
            } else {
                static const std::uint64_t edges[] = {0, 1, 0xFFFF, 0x10000, 0xFFFFFFFF,
                                                      0x100000000, ~0ull};
                if (!g_known.empty() && f.Below(3) == 0)
                    fields.emplace_back(g_known[f.Below(g_known.size())]);
                else
                    fields.emplace_back(f.Below(2) ? edges[f.Below(7)] : f.Random()() >> f.Below(64));
            }
        }
        record.Add(tags[f.Below(std::size(tags))], std::move(fields));
    }
    return record;
}

TEST(Fuzz, RecoveryRecord) {
    Harness h;
    ASSERT_TRUE(h.Start());
    WindowHandle window = h.desktop.AddWindow(L"Some window", L"AppWindow", 100);
    WindowHandle taskbar = h.desktop.AddWindow(L"", L"Shell_TrayWnd", 300);
    WindowHandle notify = h.desktop.AddChildWindow(taskbar, L"", L"TrayNotifyWnd");
    WindowHandle bar = h.desktop.AddChildWindow(notify, L"", L"ToolbarWindow32", false);
    h.desktop.audioSessions.Open(L"", 100, true);  // a muted session: an empty text names it
    g_known = {window, taskbar, bar, 100, 300, 0x1000 + 100, 32, 1280, 1024, 60, 800, 600};
    const std::wstring file = h.Globals().recoveryFile;
    THideCycle& cycle = *h.Form().hideCycle;
    Fuzzer("recoveryrecord").Run(
        [](Fuzzer& f) {
            std::string text = RandomRecord(f).Serialize();
            Bytes bytes(text.begin(), text.end());
            switch (f.Below(3)) {
                case 0: return bytes;
                case 1: return f.Mutate(bytes);
                default: return f.RandomBytes(200);
            }
        },
        [&](const Bytes& bytes) -> std::string {
            auto record = TRecoveryRecord::Parse(bytes);
            if (record) {
                // The writer's form is the only one read: what parses writes out byte for byte.
                std::string again = record->Serialize();
                if (Bytes(again.begin(), again.end()) != bytes) return "a record read in another form";
            }
            // Whatever the file holds, the start puts back what it can and leaves no record.
            h.desktop.ReplaceFileContents(file, bytes);
            THideCycle::TRecovery outcome = cycle.RecoverPreviousSession();
            if (!record && (outcome == THideCycle::TRecovery::Nothing ||
                            outcome == THideCycle::TRecovery::Recovered))
                return "damage not noticed";
            if (h.desktop.FileExists(file) && cycle.CurrentRecord().Empty())
                return "a record left behind";
            if (cycle.IsHiddenMode()) return "recovery entered hidden mode";
            return {};
        });
    g_known.clear();
}

TEST(Fuzz, RecoveryRecordRoundTrip) {
    Fuzzer("recordroundtrip").Run(
        [](Fuzzer& f) {
            std::string text = RandomRecord(f).Serialize();
            return Bytes(text.begin(), text.end());
        },
        [](const Bytes& bytes) -> std::string {
            auto record = TRecoveryRecord::Parse(bytes);
            if (!record) return "a written record does not read back";
            return {};
        });
}

}  // namespace
}  // namespace nv::test
