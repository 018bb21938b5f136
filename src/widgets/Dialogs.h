// Two small operations on the program's dialogs: the standard message dialog, and centring a
// form over another without letting it leave the screen.
#pragma once

#include <string>

#include "widgets/Application.h"
#include "widgets/Controls.h"

namespace nv {

// Shows the standard message dialog of this kind, modally, over the main form. An empty caption
// gives the kind's own ("Error", "Warning", "Information"; the application title for a plain
// one).
MessageBoxResult ShowMessageDialog(TApplication& app, const std::wstring& text,
                                   MessageBoxKind kind,
                                   MessageBoxButtons buttons = MessageBoxButtons::Ok,
                                   const std::wstring& caption = L"");

// Where a window of this size goes to be centred over owner: the left and top edges never
// below the screen's, the right and bottom edges never beyond them (a window larger than the
// screen keeps its left and top edges on it).
Point CenteredPosition(const Rect& owner, int width, int height, const Rect& screen);

// Places the form centred over the owner and inside the primary screen; does not show it.
void CenterFormOver(IWindowManager& windows, const TForm& owner, TForm& form);

}  // namespace nv
