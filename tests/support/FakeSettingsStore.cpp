// The fake desktop's registry, private-profile files, WMI and crypto: the settings store's side
// of the platform.
#include "support/FakeDesktop.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace nv::test {

namespace fs = std::filesystem;

namespace {
std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Registry

std::wstring FakeDesktop::RegPath(RegistryHive hive, const std::wstring& key) {
    std::wstring k = Lower(key);
    while (!k.empty() && k.front() == L'\\') k.erase(k.begin());
    while (!k.empty() && k.back() == L'\\') k.pop_back();
    return (hive == RegistryHive::CurrentUser ? L"hkcu\\" : L"hklm\\") + k;
}

void FakeDesktop::CreateRegistryKey(RegistryHive hive, const std::wstring& key) {
    m_registry[RegPath(hive, key)];
}

void FakeDesktop::SetRegistryString(RegistryHive hive, const std::wstring& key,
                                    const std::wstring& name, const std::wstring& value) {
    m_registry[RegPath(hive, key)][Lower(name)] = RegValue{false, value, 0};
}

void FakeDesktop::SetRegistryDword(RegistryHive hive, const std::wstring& key,
                                   const std::wstring& name, std::uint32_t value) {
    m_registry[RegPath(hive, key)][Lower(name)] = RegValue{true, L"", value};
}

bool FakeDesktop::KeyExists(RegistryHive hive, const std::wstring& key) {
    return m_registry.count(RegPath(hive, key)) > 0;
}

bool FakeDesktop::ValueExists(RegistryHive hive, const std::wstring& key, const std::wstring& name) {
    auto it = m_registry.find(RegPath(hive, key));
    return it != m_registry.end() && it->second.count(Lower(name));
}

std::optional<std::wstring> FakeDesktop::ReadString(RegistryHive hive, const std::wstring& key,
                                                    const std::wstring& name) {
    if (unreadableValues.count(name)) throw OsError("Access is denied", 5);
    auto it = m_registry.find(RegPath(hive, key));
    if (it == m_registry.end()) return std::nullopt;
    auto v = it->second.find(Lower(name));
    if (v == it->second.end() || v->second.isDword) return std::nullopt;
    return v->second.text;
}

std::optional<std::uint32_t> FakeDesktop::ReadDword(RegistryHive hive, const std::wstring& key,
                                                    const std::wstring& name) {
    auto it = m_registry.find(RegPath(hive, key));
    if (it == m_registry.end()) return std::nullopt;
    auto v = it->second.find(Lower(name));
    if (v == it->second.end() || !v->second.isDword) return std::nullopt;
    return v->second.number;
}

std::uint32_t FakeDesktop::WriteString(RegistryHive hive, const std::wstring& key,
                                       const std::wstring& name, const std::wstring& value,
                                       bool createKey) {
    if (!registryWritable) return 5;
    std::wstring path = RegPath(hive, key);
    if (!m_registry.count(path) && !createKey) return 2;
    m_registry[path][Lower(name)] = RegValue{false, value, 0};
    return 0;
}

std::uint32_t FakeDesktop::DeleteValue(RegistryHive hive, const std::wstring& key,
                                       const std::wstring& name) {
    auto it = m_registry.find(RegPath(hive, key));
    if (it == m_registry.end()) return 2;
    return it->second.erase(Lower(name)) ? 0 : 2;
}

// ---------------------------------------------------------------------------------------------
// Private-profile files: the same text format the Windows functions keep, on real files.

namespace {
struct IniLine {
    std::wstring text;
};
std::vector<std::wstring> ReadLines(const fs::path& p) {
    std::vector<std::wstring> lines;
    std::ifstream in(p, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::wstring w;
        for (unsigned char c : line) w += wchar_t(c);  // the fake keeps files in Latin-1
        lines.push_back(w);
    }
    return lines;
}
std::wstring Trim(const std::wstring& s) {
    auto b = s.find_first_not_of(L" \t");
    auto e = s.find_last_not_of(L" \t");
    return b == std::wstring::npos ? std::wstring() : s.substr(b, e - b + 1);
}
bool IsSection(const std::wstring& line, std::wstring* name) {
    std::wstring t = Trim(line);
    if (t.size() < 2 || t.front() != L'[') return false;
    auto close = t.find(L']');
    if (close == std::wstring::npos) return false;
    if (name) *name = Trim(t.substr(1, close - 1));
    return true;
}
}  // namespace

std::wstring FakeDesktop::GetPrivateProfileStringW(const std::wstring& section,
                                                   const std::wstring& key,
                                                   const std::wstring& defaultValue,
                                                   const std::wstring& file) {
    std::vector<std::wstring> lines = ReadLines(RealPath(file));
    bool inSection = false;
    for (const auto& line : lines) {
        std::wstring name;
        if (IsSection(line, &name)) {
            inSection = Lower(name) == Lower(section);
            continue;
        }
        if (!inSection) continue;
        auto eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        if (Lower(Trim(line.substr(0, eq))) == Lower(key)) {
            std::wstring value = Trim(line.substr(eq + 1));
            if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            return value.substr(0, 2047);
        }
    }
    return defaultValue.substr(0, 2047);
}

bool FakeDesktop::WritePrivateProfileStringW(const std::wstring& section, const std::wstring& key,
                                             const std::wstring& value, const std::wstring& file) {
    if (!profileWritable || failingWrites.count(file)) return false;
    fs::path real = RealPath(file);
    if (!fs::is_directory(real.parent_path())) return false;
    std::vector<std::wstring> lines = ReadLines(real);
    int sectionStart = -1, sectionEnd = static_cast<int>(lines.size());
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        std::wstring name;
        if (IsSection(lines[i], &name)) {
            if (sectionStart >= 0) {
                sectionEnd = i;
                break;
            }
            if (Lower(name) == Lower(section)) sectionStart = i;
        }
    }
    std::wstring entry = key + L"=" + value;
    if (sectionStart < 0) {
        lines.push_back(L"[" + section + L"]");
        lines.push_back(entry);
    } else {
        bool replaced = false;
        for (int i = sectionStart + 1; i < sectionEnd; ++i) {
            auto eq = lines[i].find(L'=');
            if (eq != std::wstring::npos && Lower(Trim(lines[i].substr(0, eq))) == Lower(key)) {
                lines[i] = entry;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            int at = sectionEnd;
            while (at > sectionStart + 1 && Trim(lines[at - 1]).empty()) --at;
            lines.insert(lines.begin() + at, entry);
        }
    }
    std::ofstream out(real, std::ios::binary | std::ios::trunc);
    for (const auto& l : lines) {
        std::string narrow;
        for (wchar_t c : l) narrow += static_cast<char>(c <= 0xFF ? c : '?');
        out << narrow << "\r\n";
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// WMI, crypto

std::optional<std::wstring> FakeDesktop::QueryOperatingSystemVersion(std::uint32_t) {
    ++wmiQueries;
    if (wmiFails) throw std::runtime_error("Invalid class string");
    if (wmiTimesOut) return std::nullopt;
    return wmiVersion;
}

std::vector<std::uint8_t> FakeDesktop::GenRandom(std::size_t count) {
    std::vector<std::uint8_t> out(count);
    for (auto& b : out) {
        m_randomState = m_randomState * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(m_randomState >> 16);
    }
    return out;
}

std::vector<std::uint8_t> FakeDesktop::Pbkdf2Sha256(const std::vector<std::uint8_t>& password,
                                                    const std::vector<std::uint8_t>& salt,
                                                    std::uint32_t iterations,
                                                    std::size_t keyLength) {
    if (pbkdf2Fails) throw std::runtime_error("BCryptDeriveKeyPBKDF2 failed (0xC0000017)");
    // Not PBKDF2: a deterministic stand-in that depends on every input, enough for the logic.
    std::vector<std::uint8_t> out(keyLength);
    std::uint32_t h = 2166136261u ^ iterations;
    auto mix = [&](std::uint8_t b) { h = (h ^ b) * 16777619u; };
    for (auto b : password) mix(b);
    mix(0xFF);
    for (auto b : salt) mix(b);
    for (std::size_t i = 0; i < keyLength; ++i) {
        mix(static_cast<std::uint8_t>(i));
        out[i] = static_cast<std::uint8_t>(h >> 24);
    }
    return out;
}


}  // namespace nv::test
