// The Do-not-hide and Bring-to-top lists and their files, ExList.Dat and BttList.Dat: loaded by
// the main window's creation step, saved after each change, by the Hide button and at shut-down.
//
// A list file that cannot be read at start (held open by another program, unreadable, a folder
// in its place) is never written over: the user is told once which file and why, and that list
// is saved only after a later read of its file has worked. That read adds the file's entries to
// those the user made since, leaving out the ones the list holds already (the Bring-to-top list
// holds one entry at most: one the user put there since wins over the file, unread). An
// unreadable file raises nothing here, so it never stops the other saves, closing the window or
// a log-off.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "widgets/Application.h"
#include "widgets/Controls.h"

namespace nv {

class TGlobals;

class TListStore {
public:
    // The file paths are the ones start-up built (globals).
    TListStore(IKernel& kernel, TApplication& app, TListView& excludeList,
               TListView& bringToTopList, const TGlobals& globals);

    // Append the file's entries to the list (empty at start); a missing file adds nothing.
    void LoadExcludeList();
    void LoadBringToTopList();
    // Rewrite the file from the list, in display order. A failed write raises OsError and leaves
    // the previous file whole.
    void SaveExcludeList();
    void SaveBringToTopList();

private:
    struct TListFile {
        TListView& list;
        const std::wstring& path;
        const wchar_t* name;
        bool withAllColumn;
        bool unread = false;  // the last read failed: the file must not be written
    };

    // Reads the file into the list; false, having told the user the first time, when it cannot.
    bool Read(TListFile& file);

    IKernel& m_kernel;
    TApplication& m_app;
    TListFile m_exclude;
    TListFile m_bringToTop;
};

}  // namespace nv
