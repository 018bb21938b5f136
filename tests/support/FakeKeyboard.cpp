// The fake desktop's keyboard: the scan codes and names of the keys the program's key-name table
// leaves to the platform, on a US, a German and a French layout.
#include "support/FakeDesktop.h"

namespace nv::test {

namespace {
// Scan codes and key names of the keys the key-name table leaves to the platform: the keys
// every layout shares, then the punctuation keys of a US, a German and a French keyboard, on
// which the same virtual key sits on another key with another name.
struct KeyName {
    std::uint32_t vk;
    std::uint32_t scan;
    const wchar_t* name;
};
const KeyName kSharedKeys[] = {
    {16, 0x2A, L"Shift"},    {17, 0x1D, L"Ctrl"},     {18, 0x38, L"Alt"},
    {19, 0x45, L"Pause"},    {20, 0x3A, L"Caps Lock"},{44, 0x54, L"Prnt Scrn"},
    {106, 0x37, L"Num *"},   {107, 0x4E, L"Num +"},   {109, 0x4A, L"Num -"},
    {110, 0x53, L"Num Del"}, {144, 0x45, L"Num Lock"},{145, 0x46, L"Scroll Lock"},
};
const KeyName kUsKeys[] = {
    {111, 0x35, L"/"},
    {186, 0x27, L";"},       {187, 0x0D, L"="},       {188, 0x33, L","},
    {189, 0x0C, L"-"},       {190, 0x34, L"."},       {191, 0x35, L"/"},
    {192, 0x29, L"`"},       {219, 0x1A, L"["},       {220, 0x2B, L"\\"},
    {221, 0x1B, L"]"},       {222, 0x28, L"'"},
};
const KeyName kGermanKeys[] = {
    {111, 0x35, L"-"},
    {186, 0x1A, L"\u00DC"},  {187, 0x1B, L"+"},       {188, 0x33, L","},
    {189, 0x35, L"-"},       {190, 0x34, L"."},       {191, 0x2B, L"#"},
    {192, 0x27, L"\u00D6"},  {219, 0x0C, L"\u00DF"},  {220, 0x29, L"ZIRKUMFLEX"},
    {221, 0x0D, L"AKUT"},    {222, 0x28, L"\u00C4"},  {226, 0x56, L"<"},
};
const KeyName kFrenchKeys[] = {
    {111, 0x35, L"!"},
    {186, 0x1B, L"$"},       {187, 0x0D, L"="},       {188, 0x32, L","},
    {190, 0x33, L";"},       {191, 0x34, L":"},       {192, 0x28, L"\u00F9"},
    {219, 0x0C, L")"},       {220, 0x2B, L"*"},       {221, 0x1A, L"ACCENT CIRCONFLEXE"},
    {222, 0x29, L"\u00B2"},  {223, 0x35, L"!"},       {226, 0x56, L"<"},
};

template <typename Match>
const KeyName* FindKey(KeyboardLayout layout, Match match) {
    for (const KeyName& k : kSharedKeys)
        if (match(k)) return &k;
    auto find = [&](const auto& keys) -> const KeyName* {
        for (const KeyName& k : keys)
            if (match(k)) return &k;
        return nullptr;
    };
    switch (layout) {
        case KeyboardLayout::German:
            return find(kGermanKeys);
        case KeyboardLayout::French:
            return find(kFrenchKeys);
        case KeyboardLayout::Us:
            break;
    }
    return find(kUsKeys);
}
}  // namespace

std::uint32_t FakeDesktop::MapVirtualKeyW(std::uint32_t virtualKey) {
    const KeyName* k = FindKey(keyboardLayout, [&](const KeyName& k) { return k.vk == virtualKey; });
    return k ? k->scan : 0;
}

std::wstring FakeDesktop::GetKeyNameTextW(std::int32_t lParam) {
    std::uint32_t scan = (static_cast<std::uint32_t>(lParam) >> 16) & 0xFF;
    if (scan == 0) return {};
    const KeyName* k = FindKey(keyboardLayout, [&](const KeyName& k) { return k.scan == scan; });
    return k ? k->name : std::wstring();
}

}  // namespace nv::test
