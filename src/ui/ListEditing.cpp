#include "ui/ListEditing.h"

#include <algorithm>
#include <optional>

#include "inventory/ListFiles.h"
#include "inventory/WinInfo.h"
#include "inventory/WindowEntry.h"
#include "shell/Globals.h"
#include "ui/MainForm.h"

namespace nv {

namespace {

constexpr std::uint16_t kVkDelete = 46;

const std::wstring& FirstSubItem(const TListItem& item) {
    static const std::wstring empty;
    return item.SubItems().empty() ? empty : item.SubItems()[0];
}

bool Confirmed(TMainForm& form, const std::wstring& question) {
    // Closing the box counts as Cancel: only Yes goes ahead.
    return form.app.MessageBox(question, MessageBoxKind::Warning, MessageBoxButtons::YesCancel) ==
           MessageBoxResult::Yes;
}

// Appends a Do-not-hide item that shows the live texts it was made from.
void AppendExcludeItem(TMainForm& form, std::unique_ptr<TWindowEntry> entry,
                       const std::wstring& title, const std::wstring& path) {
    std::wstring all = AllWindowsText(*entry);
    TListItem& item = form.ExcludeList.Add();
    item.SetData(std::move(entry));
    item.SetCaption(ExtractFileName(path));
    item.AddSubItem(title);
    item.AddSubItem(all);
}

}  // namespace

int FindInExcludeList(TMainForm& form, const TListItem& item) {
    for (int i = 0; i < form.ExcludeList.Count(); ++i) {
        const TListItem& candidate = form.ExcludeList.Item(i);
        if (candidate.Caption() == item.Caption() && FirstSubItem(candidate) == FirstSubItem(item))
            return i;
    }
    return -1;
}

void AddSelectedWindow(TMainForm& form) {
    TListItem* selected = form.AvailableWindowsList.Selected();
    if (!selected) return;
    if (FindInExcludeList(form, *selected) >= 0) {
        form.app.MessageBox(L"This winodw is already in the list", MessageBoxKind::Warning);
        return;
    }
    const auto* info = dynamic_cast<const TWinInfo*>(selected->Data());
    if (!info) return;
    // An entry whose program path could not be found still spares the window by its title.
    AppendExcludeItem(form, NewWindowEntry(form.platform.kernel, info->title, info->programPath, 1),
                      info->title, info->programPath);
    form.SaveExcludeList();
}

void Add1Click(TMainForm& form) { AddSelectedWindow(form); }

void ExcludeListDragOver(TMainForm&, TControl* source, bool& accept) {
    accept = source != nullptr && source->Name() == "AvailableWindowsList";
}

void ExcludeListDragDrop(TMainForm& form, TControl*) { AddSelectedWindow(form); }

void BringToTopListDragOver(TMainForm&, TControl* source, bool& accept) {
    accept = source != nullptr && source->Name() == "ExcludeList";
}

void BringToTopListDragDrop(TMainForm& form, TControl*) { ReplaceBringToTopEntry(form); }

void ReplaceBringToTopEntry(TMainForm& form) {
    TListItem* selected = form.ExcludeList.Selected();
    if (!selected) return;
    const auto* source = dynamic_cast<const TWindowEntry*>(selected->Data());
    if (!source) return;
    // Title and Path are copied as stored (length byte and text); AllWindows means nothing here.
    auto entry = std::make_unique<TWindowEntry>();
    std::copy(source->bytes.begin(), source->bytes.begin() + TWindowEntry::kAllWindowsOffset,
              entry->bytes.begin());
    form.BringToTopList.Clear();
    AppendEntryItem(form.platform.kernel, form.BringToTopList, std::move(entry), false);
    form.SaveBringToTopList();
}

void ToggleAllWindows(TMainForm& form) {
    TListItem* selected = form.ExcludeList.Selected();
    if (!selected) return;
    auto* entry = dynamic_cast<TWindowEntry*>(selected->Data());
    if (!entry) return;
    // Any byte other than 0 reads as yes; flipping only the lowest bit would turn a 2 written
    // by other means into 3, still yes, and the user could never switch it off.
    entry->SetAllWindows(entry->AllWindows() != 0 ? 0 : 1);
    selected->SetSubItem(1, AllWindowsText(*entry));
}

void mnAllWinodwsClick(TMainForm& form) { ToggleAllWindows(form); }

void mnRemoveSelectedEntryClick(TMainForm& form) {
    TListItem* selected = form.ExcludeList.Selected();
    if (!selected) {
        form.app.MessageBox(L"Please select an item first.", MessageBoxKind::Warning);
        return;
    }
    int index = selected->Index();
    if (!Confirmed(form, L"The item: \"" + selected->Caption() +
                             L"\" will be removed from the list!\nContinue?"))
        return;
    form.ExcludeList.Delete(index);
    form.SaveExcludeList();
}

void ClearExcludeList(TMainForm& form) {
    if (!Confirmed(form, L"All the items in the \"Do not hide\" list will be removed!\nContinue?"))
        return;
    form.ExcludeList.Clear();
}

void mnClearDoNotHideListListClick(TMainForm& form) { ClearExcludeList(form); }

void AddApplicationFromDisk(TMainForm& form) {
    std::optional<std::wstring> file =
        form.platform.shell.GetOpenFileNameW(form.Handle(), L"All files|*.*", L"*.*");
    if (!file || file->empty()) return;
    AppendExcludeItem(form, NewWindowEntry(form.platform.kernel, L"", *file, 1), L"", *file);
    form.SaveExcludeList();
}

void mnClearDoNotHideListAddFromDiskClick(TMainForm& form) { AddApplicationFromDisk(form); }

void ClearBringToTopList(TMainForm& form) {
    form.BringToTopList.Clear();
    form.SaveBringToTopList();
}

void mnClearBringToTopListClick(TMainForm& form) { ClearBringToTopList(form); }

void ExcludeListKeyUp(TMainForm& form, std::uint16_t& key, ShiftState) {
    if (key == kVkDelete) mnRemoveSelectedEntryClick(form);
}

void BringToTopListKeyDown(TMainForm& form, std::uint16_t& key, ShiftState) {
    if (key == kVkDelete) mnClearBringToTopListClick(form);
}

void popMenuDoNotHideListPopup(TMainForm& form) {
    bool anySelected = form.ExcludeList.Selected() != nullptr;
    for (const char* name : {"mnRemoveSelectedEntry", "mnAllWinodws"})
        if (TMenuItem* item = form.popMenuDoNotHideList.Find(name)) item->enabled = anySelected;
    for (const char* name : {"mnClearDoNotHideListList", "mnClearDoNotHideListAddFromDisk"})
        if (TMenuItem* item = form.popMenuDoNotHideList.Find(name)) item->enabled = true;
}

void WireListEditing(TMainForm& form) {
    TMainForm* f = &form;
    auto onItem = [f](TPopupMenu& menu, const char* name, void (*handler)(TMainForm&)) {
        if (TMenuItem* item = menu.Find(name)) item->OnClick = [f, handler] { handler(*f); };
    };
    onItem(form.popMenuAvailableWindows, "Add1", Add1Click);
    onItem(form.popMenuDoNotHideList, "mnAllWinodws", mnAllWinodwsClick);
    onItem(form.popMenuDoNotHideList, "mnRemoveSelectedEntry", mnRemoveSelectedEntryClick);
    onItem(form.popMenuDoNotHideList, "mnClearDoNotHideListList", mnClearDoNotHideListListClick);
    onItem(form.popMenuDoNotHideList, "mnClearDoNotHideListAddFromDisk",
           mnClearDoNotHideListAddFromDiskClick);
    onItem(form.PopMenuBringToTopList, "mnClearBringToTopList", mnClearBringToTopListClick);
    form.popMenuDoNotHideList.OnPopup = [f] { popMenuDoNotHideListPopup(*f); };

    form.ExcludeList.OnDragOver = [f](TControl* source, bool& accept) {
        ExcludeListDragOver(*f, source, accept);
    };
    form.ExcludeList.OnDragDrop = [f](TControl* source) { ExcludeListDragDrop(*f, source); };
    form.BringToTopList.OnDragOver = [f](TControl* source, bool& accept) {
        BringToTopListDragOver(*f, source, accept);
    };
    form.BringToTopList.OnDragDrop = [f](TControl* source) { BringToTopListDragDrop(*f, source); };
    form.ExcludeList.OnKeyUp = [f](std::uint16_t& key, ShiftState shift) {
        ExcludeListKeyUp(*f, key, shift);
    };
    form.BringToTopList.OnKeyDown = [f](std::uint16_t& key, ShiftState shift) {
        BringToTopListKeyDown(*f, key, shift);
    };
}

}  // namespace nv
