#include "widgets/Dialogs.h"

namespace nv {

namespace {

std::wstring StandardCaption(TApplication& app, MessageBoxKind kind) {
    switch (kind) {
        case MessageBoxKind::Error:
            return L"Error";
        case MessageBoxKind::Warning:
            return L"Warning";
        case MessageBoxKind::Information:
            return L"Information";
        case MessageBoxKind::Plain:
            break;
    }
    return app.title;
}

}  // namespace

MessageBoxResult ShowMessageDialog(TApplication& app, const std::wstring& text,
                                   MessageBoxKind kind, MessageBoxButtons buttons,
                                   const std::wstring& caption) {
    TForm* owner = app.MainForm();
    return app.Windows().MessageBoxW(owner ? owner->Handle() : 0, text,
                                     caption.empty() ? StandardCaption(app, kind) : caption, kind,
                                     buttons);
}

Point CenteredPosition(const Rect& owner, int width, int height, const Rect& screen) {
    Point p{owner.left + (owner.Width() - width) / 2, owner.top + (owner.Height() - height) / 2};
    if (p.x + width > screen.right) p.x = screen.right - width;
    if (p.y + height > screen.bottom) p.y = screen.bottom - height;
    if (p.x < screen.left) p.x = screen.left;
    if (p.y < screen.top) p.y = screen.top;
    return p;
}

void CenterFormOver(IWindowManager& windows, const TForm& owner, TForm& form) {
    Rect mine = form.ScreenBounds();
    form.SetScreenPosition(CenteredPosition(owner.ScreenBounds(), mine.Width(), mine.Height(),
                                            windows.GetPrimaryScreenRect()));
}

}  // namespace nv
