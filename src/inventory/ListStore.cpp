#include "inventory/ListStore.h"

#include <set>
#include <utility>

#include "inventory/ListFiles.h"
#include "shell/Globals.h"

namespace nv {

namespace {

using EntryKey = std::pair<std::string, std::string>;  // Title and Path, as stored

EntryKey KeyOf(const TWindowEntry& entry) { return {entry.TitleBytes(), entry.PathBytes()}; }

}  // namespace

TListStore::TListStore(IKernel& kernel, TApplication& app, TListView& excludeList,
                       TListView& bringToTopList, const TGlobals& globals)
    : m_kernel(kernel),
      m_app(app),
      m_exclude{excludeList, globals.excludeListFile, L"Do-not-hide list", true},
      m_bringToTop{bringToTopList, globals.bringToTopFile, L"Bring-to-top list", false} {}

void TListStore::LoadExcludeList() { Read(m_exclude); }
void TListStore::LoadBringToTopList() { Read(m_bringToTop); }

void TListStore::SaveExcludeList() {
    if (m_exclude.unread && !Read(m_exclude)) return;
    SaveEntryList(m_kernel, m_exclude.list, m_exclude.path);
}

void TListStore::SaveBringToTopList() {
    // The list holds one entry at most: what the user put there since wins over the file.
    if (m_bringToTop.unread && m_bringToTop.list.Count() > 0) m_bringToTop.unread = false;
    if (m_bringToTop.unread && !Read(m_bringToTop)) return;
    SaveEntryList(m_kernel, m_bringToTop.list, m_bringToTop.path);
}

bool TListStore::Read(TListFile& file) {
    std::vector<std::unique_ptr<TWindowEntry>> entries;
    try {
        entries = ReadEntryFile(m_kernel, file.path);
    } catch (const std::exception& error) {
        if (!file.unread)
            m_app.MessageBox(L"The " + std::wstring(file.name) + L" (" +
                                 ExtractFileName(file.path) + L") could not be read.\n" +
                                 TApplication::ErrorReportText(FromUtf8(error.what())) +
                                 L"\n\nThe file " + file.path +
                                 L" is left as it is, and the list is not saved while the "
                                 L"file cannot be read.",
                             MessageBoxKind::Error);
        file.unread = true;
        return false;
    }
    file.unread = false;
    // Entries the user made meanwhile stay as they are; the file adds only what they lack.
    // Taken before appending, so that a file's own repeated records all load.
    std::set<EntryKey> held;
    for (int i = 0; i < file.list.Count(); ++i)
        if (const auto* entry = dynamic_cast<const TWindowEntry*>(file.list.Item(i).Data()))
            held.insert(KeyOf(*entry));
    for (auto& entry : entries)
        if (!held.count(KeyOf(*entry)))
            AppendEntryItem(m_kernel, file.list, std::move(entry), file.withAllColumn);
    return true;
}

}  // namespace nv
