// The dialog of the display-mode test: asks whether the mode shows correctly and closes itself
// after ten seconds, so a user facing a black screen gets the previous mode back untouched.
#pragma once

#include <cstdint>

#include "widgets/Application.h"
#include "widgets/Controls.h"

namespace nv {

class TConfirmationForm : public TForm {
  public:
    explicit TConfirmationForm(TApplication& app);

    TLabel stQuestion{this, "stQuestion"};
    TLabel stSeconds{this, "stSeconds"};
    TButton btnYes{this, "btnYes"};
    TButton btnNo{this, "btnNo"};
    TTimer Timer1;

    void FormCreate();
    void FormShow();
    void Timer1Timer();
    void btnYesClick();
    void btnNoClick();

    std::int32_t SecondsLeft() const { return m_secondsLeft; }

  private:
    void ShowSecondsLeft();
    // Closes the dialog with its answer; the countdown ends with it.
    void Answer(ModalResult result);

    TApplication& m_app;
    std::int32_t m_secondsLeft = 0;
};

}  // namespace nv
