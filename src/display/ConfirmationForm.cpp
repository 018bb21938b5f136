#include "display/ConfirmationForm.h"

namespace nv {

namespace {
constexpr std::int32_t kTestSeconds = 10;
}  // namespace

TConfirmationForm::TConfirmationForm(TApplication& app) : TForm("ConfirmationForm"), m_app(app) {
    SetCaption(L"Display mode test");
    SetClientSize(300, 110);
    sizeable = false;
    systemMenu = false;
    stayOnTop = true;
    stQuestion.SetCaption(L"Does this mode display correctly?");
    stQuestion.bold = true;
    stQuestion.centered = true;
    stQuestion.SetBounds(10, 12, 280, 16);
    stSeconds.centered = true;
    stSeconds.SetBounds(10, 38, 280, 16);
    btnYes.SetCaption(L"&Yes");
    btnYes.SetBounds(62, 72, 80, 25);
    btnNo.SetCaption(L"&No");
    btnNo.SetBounds(158, 72, 80, 25);
    Timer1.interval = 1000;

    OnCreate = [this] { FormCreate(); };
    OnShow = [this] { FormShow(); };
    Timer1.OnTimer = [this] { Timer1Timer(); };
    btnYes.OnClick = [this] { btnYesClick(); };
    btnNo.OnClick = [this] { btnNoClick(); };
}

void TConfirmationForm::FormCreate() { m_app.CreateTimer(Timer1); }

void TConfirmationForm::FormShow() {
    m_secondsLeft = kTestSeconds;
    ShowSecondsLeft();
    Timer1.SetEnabled(true);
}

void TConfirmationForm::Timer1Timer() {
    --m_secondsLeft;
    ShowSecondsLeft();
    if (m_secondsLeft <= 0) Answer(ModalResult::Cancel);
}

void TConfirmationForm::btnYesClick() { Answer(ModalResult::Yes); }

void TConfirmationForm::btnNoClick() { Answer(ModalResult::Cancel); }

void TConfirmationForm::ShowSecondsLeft() {
    stSeconds.SetCaption(L"Original mode will be restored in " + std::to_wstring(m_secondsLeft) +
                         L" seconds.");
}

void TConfirmationForm::Answer(ModalResult result) {
    Timer1.SetEnabled(false);
    SetModalResult(result);
}

}  // namespace nv
