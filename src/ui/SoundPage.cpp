// The Sound sub-page of Extra Settings: the current and the desired volume.
#include "ui/Layout.h"
#include "ui/MainForm.h"

namespace nv {

void TMainForm::BuildSoundPage() {
    pnlSound.SetAlign(Align::Client);
    pnlSound.helpContext = 1011;
    Place(imSound, 12, 10, 48, 48);
    imSound.resourceId = 221;
    imSound.helpContext = 1012;
    cbModifyVolume.SetCaption(L"Modify sound");
    Place(cbModifyVolume, 72, 10, 200, 17);
    cbMuteHiddenPrograms.SetCaption(L"Mute only the programs that are hidden");
    cbMuteHiddenPrograms.hint =
        L"Mute the sound of each hidden program, and leave the volume of the others alone.";
    cbMuteHiddenPrograms.helpContext = 1012;
    Place(cbMuteHiddenPrograms, 72, 212, 300, 17);
    gbCurrentVolume.SetCaption(L"Current");
    gbCurrentVolume.hint = L"Display Only Panel";
    gbCurrentVolume.helpContext = 1012;
    Place(gbCurrentVolume, 72, 34, 110, 170);
    SliderGlobalVolume.maxValue = 65535;
    SliderGlobalVolume.SetEnabled(false);
    Place(SliderGlobalVolume, 10, 18, 40, 120);
    cbGlobalVolumMuted.SetCaption(L"Muted");
    cbGlobalVolumMuted.SetEnabled(false);
    Place(cbGlobalVolumMuted, 10, 144, 90, 17);
    gbDesiredVolume.SetCaption(L" Desired ");
    gbDesiredVolume.helpContext = 1012;
    Place(gbDesiredVolume, 192, 34, 110, 170);
    sliderSelectedVolume.maxValue = 65535;
    sliderSelectedVolume.lineSize = 1000;
    sliderSelectedVolume.pageSize = 10000;
    sliderSelectedVolume.hint = L"Desired volume level slider";
    Place(sliderSelectedVolume, 10, 18, 40, 120);
    cbSelectedVolumeMuted.SetCaption(L"Muted");
    cbSelectedVolumeMuted.hint = L"Mute the sound.";
    Place(cbSelectedVolumeMuted, 10, 144, 90, 17);
    btnGetVolume.SetCaption(L"Refresh current volume indicator");
    btnGetVolume.helpContext = 1012;
    Place(btnGetVolume, 312, 40, 200, 25);
    btnTestSound.SetCaption(L"Test desired volume settings");
    btnTestSound.hint = L"Play sound with the selected volume level.";
    btnTestSound.helpContext = 1012;
    Place(btnTestSound, 312, 72, 200, 25);

    // The desired sound settings follow the page; the slider stands upside down.
    sliderSelectedVolume.OnChange = [this] {
        volumeSettings.desiredVolume =
            static_cast<std::uint16_t>(kVolumeScaleMax - sliderSelectedVolume.Position());
    };
    cbSelectedVolumeMuted.OnClick = [this] {
        volumeSettings.desiredMute = cbSelectedVolumeMuted.Checked();
    };
    btnGetVolume.OnClick = [this] { RefreshCurrentVolume(); };
    btnTestSound.OnClick = [this] { btnTestSoundClick(); };
}

void TMainForm::btnSoundClick() {
    RefreshCurrentVolume();
    btnSound.SetDown(true);
    PageControlSettings.SetActivePage(&SheetSetSound);
    sliderSelectedVolume.SetFocus();
}

// The "Current" group shows the device as it is; a device that cannot be read leaves it as it
// was, without a word.
void TMainForm::RefreshCurrentVolume() {
    std::uint16_t level = 0;
    bool muted = false;
    try {
        if (!volume.ReadCurrentVolume(level, muted)) return;
    } catch (const std::exception&) {
        return;
    }
    SliderGlobalVolume.SetPosition(kVolumeScaleMax - level);
    cbGlobalVolumMuted.SetChecked(muted);
}

// Plays the test sound at the desired settings and puts the device back as it was. The button
// says so while the sound plays; "Modify sound" is ticked for the test, and muting only the
// hidden programs, which leaves the device alone, is set aside; both are given back after.
void TMainForm::btnTestSoundClick() {
    const std::wstring caption = btnTestSound.Caption();
    const bool modify = cbModifyVolume.Checked(), programsOnly = cbMuteHiddenPrograms.Checked();
    btnTestSound.SetCaption(L"Playing sound. Please wait...");
    btnTestSound.Repaint();
    cbModifyVolume.SetChecked(true);
    cbModifyVolume.SetEnabled(false);
    cbMuteHiddenPrograms.SetCheckedSilently(false);
    auto putBack = [&] {
        btnTestSound.SetCaption(caption);
        cbModifyVolume.SetEnabled(true);
        cbModifyVolume.SetChecked(modify);
        cbMuteHiddenPrograms.SetCheckedSilently(programsOnly);
    };
    try {
        volume.SaveCurrentVolume();
        volume.ApplyDesiredVolume();
        volume.PlayTestSound();
        volume.RestoreSavedVolume();
    } catch (...) {
        putBack();
        throw;
    }
    putBack();
}

}  // namespace nv
