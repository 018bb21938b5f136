// The Do-not-hide and Bring-to-top lists on disk: flat files of 513-byte window entries, and
// the conversion of their texts to and from the system's ANSI code page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "inventory/WindowEntry.h"
#include "platform/Platform.h"
#include "widgets/Controls.h"

namespace nv {

// Text into an entry: the first 255 UTF-16 units in the ANSI code page (characters it lacks
// become its replacement character), cut to 255 bytes.
std::string ToEntryText(IKernel& kernel, const std::wstring& text);
// Text out of an entry, back to UTF-16.
std::wstring FromEntryText(IKernel& kernel, const std::string& bytes);

// A new entry from live texts.
std::unique_ptr<TWindowEntry> NewWindowEntry(IKernel& kernel, const std::wstring& title,
                                             const std::wstring& path, std::uint8_t allWindows);
// "yes" when the entry's AllWindows byte is not 0, else "no".
std::wstring AllWindowsText(const TWindowEntry& entry);

// Appends an item showing the entry's own texts: caption the file-name part of Path, first
// sub-item Title, and, for the Do-not-hide list, the "All" cell.
void AppendEntryItem(IKernel& kernel, TListView& list, std::unique_ptr<TWindowEntry> entry,
                     bool withAllColumn);

// Every whole record of the file, in file order; a missing file (or folder) gives none. Bytes
// after the last whole record are ignored. Any other failure to read raises OsError, also when
// something that is not a file stands in the file's place.
std::vector<std::unique_ptr<TWindowEntry>> ReadEntryFile(IKernel& kernel, const std::wstring& file);
// Appends every record of the file to the list, as ReadEntryFile reads them.
void LoadEntryList(IKernel& kernel, TListView& list, const std::wstring& file, bool withAllColumn);
// Writes the whole list, in display order, replacing the file in one step: a failed save
// leaves the previous file as it was. An empty list writes an empty file.
void SaveEntryList(IKernel& kernel, const TListView& list, const std::wstring& file);

}  // namespace nv
