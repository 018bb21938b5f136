// The About page: the product picture, the version and the web link.
#include "ui/Layout.h"
#include "ui/Links.h"
#include "ui/MainForm.h"

namespace nv {

void TMainForm::BuildAboutPage() {
    pnlAbout.SetAlign(Align::Client);
    pnlAboutFrame.SetAlign(Align::Client);
    // The dark end of the About page's gradient, so its white texts read until it is drawn.
    pnlAboutFrame.color = 0x00857158;  // red 88, green 113, blue 133
    pnlAboutFrame.gradient = true;
    pnlAboutFrame.frameColor = kAccent;
    Place(imgLogo, 16, 16, 150, 216);
    imgLogo.resourceId = 231;
    for (TLabel* l : {&stAboutVersion, &stCompanyInfo, &stCompanyLink}) {
        l->bold = true;
        l->textColor = 0x00FFFFFF;
    }
    Place(stAboutVersion, 190, 30, 300, 16);
    stCompanyInfo.SetCaption(L"Nivora - made by the Nivora project");
    Place(stCompanyInfo, 190, 56, 330, 16);
    stCompanyLink.SetCaption(kHomePageText);
    stCompanyLink.link = true;
    Place(stCompanyLink, 190, 82, 300, 16);

    stCompanyLink.OnClick = [this] { OpenHomePage(platform.shell); };
}

void TMainForm::btnAboutClick() {
    btnAbout.SetDown(true);
    MainPageControl.SetActivePage(&SheetAbout);
}

}  // namespace nv
