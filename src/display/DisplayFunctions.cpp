#include "display/DisplayFunctions.h"

#include "widgets/MenuPictures.h"

namespace nv {

namespace {

std::wstring Number(std::uint32_t value) { return std::to_wstring(value); }

std::wstring WithoutAccelerators(const std::wstring& caption) {
    std::wstring plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;  // "&&" stands for one "&"
        plain += caption[i];
    }
    return plain;
}

// Case-insensitive, ignoring accelerator marks. The captions are the menu's own digits and
// "x", so an ASCII fold is all the comparison needs.
bool SameCaption(const std::wstring& a, const std::wstring& b) {
    std::wstring x = WithoutAccelerators(a), y = WithoutAccelerators(b);
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        wchar_t p = x[i], q = y[i];
        if (p >= L'A' && p <= L'Z') p += L'a' - L'A';
        if (q >= L'A' && q <= L'Z') q += L'a' - L'A';
        if (p != q) return false;
    }
    return true;
}

TMenuItem* FindChild(TMenuItem& parent, const std::wstring& caption) {
    for (auto& child : parent.items)
        if (SameCaption(child->caption, caption)) return child.get();
    return nullptr;
}

}  // namespace

std::optional<DisplayMode> ListedDisplayMode(IDisplay& display, std::int32_t modeNumber) {
    DisplayMode mode;
    if (modeNumber < 0 || !display.EnumDisplaySettingsW(modeNumber, mode)) return std::nullopt;
    return mode;
}

std::wstring DisplayModeText(IDisplay& display, std::int32_t modeNumber) {
    std::optional<DisplayMode> mode = ListedDisplayMode(display, modeNumber);
    if (!mode) return kModeNotAvailable;
    return Number(mode->pelsWidth) + L"x" + Number(mode->pelsHeight) + L"x" +
           Number(mode->bitsPerPel) + L" @ " + Number(mode->displayFrequency) + L" Hz";
}

std::int32_t CurrentDisplayModeNumber(IDisplay& display) {
    DisplayMode current;
    if (!display.EnumDisplaySettingsW(kEnumCurrentSettings, current)) return -1;
    DisplayMode mode;
    for (std::int32_t n = 0; display.EnumDisplaySettingsW(n, mode); ++n)
        if (mode.SameMode(current)) return n;
    return -1;
}

void FillDisplayModeMenu(IDisplay& display, TPopupMenu& menu,
                         const std::function<void(std::int32_t modeNumber)>& onSelect) {
    DisplayMode mode;
    for (std::int32_t n = 0; display.EnumDisplaySettingsW(n, mode); ++n) {
        if (mode.displayFrequency == 1) continue;
        std::wstring resolution = Number(mode.pelsWidth) + L"x" + Number(mode.pelsHeight);
        std::wstring depth = Number(mode.bitsPerPel) + L" bits";
        TMenuItem* resolutionItem = FindChild(menu.items, resolution);
        if (!resolutionItem) {
            auto item = std::make_unique<TMenuItem>("", resolution);
            item->imageIndex = kPicDisplayMode;
            resolutionItem = item.get();
            menu.items.items.insert(menu.items.items.begin(), std::move(item));
        }
        TMenuItem* depthItem = FindChild(*resolutionItem, depth);
        if (!depthItem) {
            depthItem = &resolutionItem->Add("", depth);
            depthItem->imageIndex = kPicColourDepth;
        }
        TMenuItem& rate = depthItem->Add("", Number(mode.displayFrequency) + L" Hz");
        rate.imageIndex = kPicRefreshRate;
        rate.tag = n;
        rate.OnClick = [onSelect, n] { onSelect(n); };
    }
}

bool TestDisplayMode(IDisplay& display, std::int32_t selectedModeNumber,
                     const std::function<void()>& runDialog) {
    DisplayMode before;
    if (!display.EnumDisplaySettingsW(kEnumCurrentSettings, before)) return false;
    std::optional<DisplayMode> selected = ListedDisplayMode(display, selectedModeNumber);
    if (!selected) return false;
    display.ChangeDisplaySettingsW(*selected, kDisplayModeApplyFlags);
    try {
        runDialog();
    } catch (...) {
        // The user's safeguard holds even when the dialog fails.
        display.ChangeDisplaySettingsW(before, kDisplayModeApplyFlags);
        throw;
    }
    display.ChangeDisplaySettingsW(before, kDisplayModeApplyFlags);
    return true;
}

}  // namespace nv
