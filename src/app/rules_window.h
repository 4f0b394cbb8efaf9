#pragma once

#include <array>
#include <vector>

#include "model/list_model.h"
#include "rules/keyword_rule.h"
#include "toolkit/skin_window.h"

namespace vantrel {

class CaptionButton;
class ColorSwatch;
class EditBox;
class GroupBox;
class Label;
class ListView;
class MainWindow;
class SlideSwitch;

// The rules window "规则": the keyword monitor (first, edited in the settings
// window) and the rules of rules.json in the file's order; add, edit and
// delete, each change written to rules.json at once and applied to the list.
// The "勿扰" switch pauses the notifications.
class RulesWindow : public SkinWindow {
    Q_OBJECT
  public:
    static constexpr int kWidth = 540;
    static constexpr int kHeight = 452;

    explicit RulesWindow(MainWindow& main);
    ~RulesWindow() override;

    // The list's row to edit: 0 is the keyword monitor, 1.. the rules.
    void Choose(int row);
    int Chosen() const { return chosen_; }
    bool Closing() const { return closing_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildEditor();
    void ConnectControls();
    void FillList();
    void FillEditor();
    void ShowStatus();

    void OnAdd();
    void OnDelete();
    void OnFieldEdited();
    void OnSourceClicked(int index);
    void OnColorClicked(ColorSwatch* swatch);
    void OnNotifyClicked();
    void OnDoNotDisturbClicked();

    // The chosen rule as the boxes have it now; the pattern is kept as typed.
    KeywordRule Draft() const;
    // Tells how many of the list's titles the draft matches, or what is wrong with it.
    // Returns whether the draft can be saved.
    bool ShowDraftCheck(const KeywordRule& draft);
    // Writes rules.json and gives the rules to the main window.
    void Save();

    MainWindow& main_;
    std::vector<KeywordRule> rules_;
    int chosen_ = 0;
    bool closing_ = false;
    bool filling_ = false;  // the editor's boxes are being filled, not edited
    bool saveFailed_ = false;

    ListModel rows_;
    ListView* list_ = nullptr;
    Label* status_ = nullptr;
    SlideSwitch* quietSwitch_ = nullptr;
    CaptionButton* addButton_ = nullptr;
    CaptionButton* deleteButton_ = nullptr;
    GroupBox* editor_ = nullptr;
    EditBox* nameBox_ = nullptr;
    EditBox* wordsBox_ = nullptr;
    EditBox* excludeBox_ = nullptr;
    EditBox* regexBox_ = nullptr;
    Label* check_ = nullptr;
    std::array<CaptionButton*, SOURCE_COUNT> sourceButtons_{};
    std::vector<ColorSwatch*> swatches_;
    SlideSwitch* notifySwitch_ = nullptr;
    Label* note_ = nullptr;
};

// The settings window's "规则" button: raises the open rules window, or makes one.
void OpenRulesWindow(MainWindow& main);

}  // namespace vantrel
