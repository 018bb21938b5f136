#include "inventory/ListFiles.h"

#include <algorithm>
#include <vector>

#include "shell/Globals.h"

namespace nv {

namespace {
constexpr std::size_t kMaxTextBytes = 255;
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
}  // namespace

std::string ToEntryText(IKernel& kernel, const std::wstring& text) {
    std::size_t chars = std::min(text.size(), kMaxTextBytes);
    std::string bytes = kernel.WideToAnsi(text.substr(0, chars));
    // A double-byte code page can make more bytes than characters: fewer characters are taken
    // until they fit, so the text never ends in half a character (nor half a surrogate pair).
    while (bytes.size() > kMaxTextBytes) {
        --chars;
        if (chars > 0 && text[chars - 1] >= 0xD800 && text[chars - 1] <= 0xDBFF) --chars;
        bytes = kernel.WideToAnsi(text.substr(0, chars));
    }
    return bytes;
}

std::wstring FromEntryText(IKernel& kernel, const std::string& bytes) {
    return bytes.empty() ? std::wstring() : kernel.AnsiToWide(bytes);
}

std::unique_ptr<TWindowEntry> NewWindowEntry(IKernel& kernel, const std::wstring& title,
                                             const std::wstring& path, std::uint8_t allWindows) {
    auto entry = std::make_unique<TWindowEntry>();
    entry->SetTitleBytes(ToEntryText(kernel, title));
    entry->SetPathBytes(ToEntryText(kernel, path));
    entry->SetAllWindows(allWindows);
    return entry;
}

std::wstring AllWindowsText(const TWindowEntry& entry) {
    return entry.AllWindows() != 0 ? L"yes" : L"no";
}

void AppendEntryItem(IKernel& kernel, TListView& list, std::unique_ptr<TWindowEntry> entry,
                     bool withAllColumn) {
    std::wstring caption = ExtractFileName(FromEntryText(kernel, entry->PathBytes()));
    std::wstring title = FromEntryText(kernel, entry->TitleBytes());
    std::wstring all = AllWindowsText(*entry);
    TListItem& item = list.Add();
    item.SetData(std::move(entry));
    item.SetCaption(caption);
    item.AddSubItem(title);
    if (withAllColumn) item.AddSubItem(all);
}

std::vector<std::unique_ptr<TWindowEntry>> ReadEntryFile(IKernel& kernel,
                                                         const std::wstring& file) {
    // Read straight away rather than asked first whether the file exists: a folder or another
    // thing in the file's place must count as unreadable, never as an empty list that the next
    // save would try to write over.
    std::vector<std::uint8_t> bytes;
    try {
        bytes = kernel.ReadWholeFile(file);
    } catch (const OsError& error) {
        if (error.Code() == kErrorFileNotFound || error.Code() == kErrorPathNotFound) return {};
        throw;
    }
    std::vector<std::unique_ptr<TWindowEntry>> entries(bytes.size() / TWindowEntry::kSize);
    for (std::size_t n = 0; n < entries.size(); ++n) {
        entries[n] = std::make_unique<TWindowEntry>();
        const std::uint8_t* record = bytes.data() + n * TWindowEntry::kSize;
        std::copy(record, record + TWindowEntry::kSize, entries[n]->bytes.begin());
    }
    return entries;
}

void LoadEntryList(IKernel& kernel, TListView& list, const std::wstring& file, bool withAllColumn) {
    for (auto& entry : ReadEntryFile(kernel, file))
        AppendEntryItem(kernel, list, std::move(entry), withAllColumn);
}

void SaveEntryList(IKernel& kernel, const TListView& list, const std::wstring& file) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(list.Count()) * TWindowEntry::kSize);
    for (int i = 0; i < list.Count(); ++i) {
        const auto* entry = dynamic_cast<const TWindowEntry*>(list.Item(i).Data());
        if (!entry) continue;  // every item of these lists carries an entry
        bytes.insert(bytes.end(), entry->bytes.begin(), entry->bytes.end());
    }
    kernel.ReplaceFileContents(file, bytes);
}

}  // namespace nv
