// Editing the Do-not-hide and Bring-to-top lists on the Windows page: drags from the visible
// windows, the popup menus and the Delete key. Handlers of the main window, named after their
// control and event.
#pragma once

#include <cstdint>

#include "widgets/Controls.h"

namespace nv {

class TMainForm;

// Index of the first Do-not-hide item with the same program name and the same title as the
// given item (exact, case-sensitive; the "All" column is not compared); -1 when none.
int FindInExcludeList(TMainForm& form, const TListItem& item);

// The selected visible window joins the Do-not-hide list ("All windows" on) and the list is
// saved; a window already there is refused with a warning.
void AddSelectedWindow(TMainForm& form);
void Add1Click(TMainForm& form);

// Drags: the Do-not-hide list takes windows from the visible-windows list only, the
// Bring-to-top list takes entries from the Do-not-hide list only.
void ExcludeListDragOver(TMainForm& form, TControl* source, bool& accept);
void ExcludeListDragDrop(TMainForm& form, TControl* source);
void BringToTopListDragOver(TMainForm& form, TControl* source, bool& accept);
void BringToTopListDragDrop(TMainForm& form, TControl* source);
// The selected Do-not-hide entry becomes the one Bring-to-top entry, and that list is saved.
void ReplaceBringToTopEntry(TMainForm& form);

// "All windows/This window": flips the selected entry's flag; saved with the next save.
void ToggleAllWindows(TMainForm& form);
void mnAllWinodwsClick(TMainForm& form);
// "Remove Selected Entry": asks, then removes and saves.
void mnRemoveSelectedEntryClick(TMainForm& form);
// "Clear List" of the Do-not-hide list: asks, then empties it; saved with the next save.
void ClearExcludeList(TMainForm& form);
void mnClearDoNotHideListListClick(TMainForm& form);
// "Add application from disk": a program chosen in the open dialog joins the Do-not-hide list.
void AddApplicationFromDisk(TMainForm& form);
void mnClearDoNotHideListAddFromDiskClick(TMainForm& form);
// "Clear List" of the Bring-to-top list: empties it without a question and saves.
void ClearBringToTopList(TMainForm& form);
void mnClearBringToTopListClick(TMainForm& form);

// Delete released in the Do-not-hide list removes the selected entry; Delete pressed in the
// Bring-to-top list clears it.
void ExcludeListKeyUp(TMainForm& form, std::uint16_t& key, ShiftState shift);
void BringToTopListKeyDown(TMainForm& form, std::uint16_t& key, ShiftState shift);

// The Do-not-hide menu opens with the entry commands greyed when nothing is selected.
void popMenuDoNotHideListPopup(TMainForm& form);

// Connects the handlers above to the main window's lists and menus.
void WireListEditing(TMainForm& form);

}  // namespace nv
