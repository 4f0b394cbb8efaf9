#pragma once

#include "toolkit/skin_window.h"

namespace vantrel {

class CaptionButton;
class EditBox;
class FolderBox;
class GroupBox;
class Label;
class MinutesBox;
class SlideSwitch;
class Slider;
class SettingsTarget;
class TitleButton;

// The settings window "设置": every control writes the program's settings
// and, at once, asks the program for the effect it stands for. It saves
// nothing; the settings file is written at exit.
class SettingsWindow : public SkinWindow {
    Q_OBJECT
  public:
    static constexpr int kWidth = 380;
    static constexpr int kHeight = 401;

    explicit SettingsWindow(SettingsTarget& target);

    // Shows the settings in the controls, as each opening does.
    void FillSettingsWindow();
    // Closed windows wait for deletion; they no longer count as open.
    bool Closing() const { return closing_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildGroups();
    void BuildControls();
    void ConnectControls();

    void OnAutoRefreshSwitch();
    void OnKeywordSwitch();
    void OnOpacityMoved(int position);
    void OnEdgeSwitch();
    void OnTopMostSwitch();
    void OnTaskbarSwitch();
    void OnAutorunSwitch();
    void OnMinutesEdited();
    void OnFolderClicked();
    void OnAutoSaveSwitch();

    SettingsTarget& target_;
    bool closing_ = false;

    GroupBox* refreshGroup_ = nullptr;
    GroupBox* keywordGroup_ = nullptr;
    GroupBox* generalGroup_ = nullptr;
    GroupBox* saveGroup_ = nullptr;
    TitleButton* closeButton_ = nullptr;
    EditBox* secondsBox_ = nullptr;
    SlideSwitch* refreshSwitch_ = nullptr;
    EditBox* keywordBox_ = nullptr;
    CaptionButton* rulesButton_ = nullptr;
    SlideSwitch* keywordSwitch_ = nullptr;
    Slider* opacitySlider_ = nullptr;
    SlideSwitch* edgeSwitch_ = nullptr;
    SlideSwitch* topMostSwitch_ = nullptr;
    SlideSwitch* taskbarSwitch_ = nullptr;
    SlideSwitch* autorunSwitch_ = nullptr;
    MinutesBox* minutesBox_ = nullptr;
    FolderBox* folderBox_ = nullptr;
    SlideSwitch* autoSaveSwitch_ = nullptr;
};

// The gear button: raises and focuses the open settings window, or makes,
// fills and shows one. Either way the main window leaves always-on-top so
// the settings window can come in front.
void OpenSettingsWindow(SettingsTarget& target);

}  // namespace vantrel
