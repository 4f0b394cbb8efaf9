#include "settings/settings_window.h"

#include <QCloseEvent>

#include "settings/settings_fields.h"
#include "settings/settings_target.h"
#include "toolkit/caption_button.h"
#include "toolkit/core_bridge.h"
#include "toolkit/edit_box.h"
#include "toolkit/folder_chooser.h"
#include "toolkit/group_box.h"
#include "toolkit/label.h"
#include "toolkit/message_box.h"
#include "toolkit/skin.h"
#include "toolkit/slide_switch.h"
#include "toolkit/slider.h"
#include "toolkit/tip_box.h"
#include "toolkit/title_button.h"

namespace vantrel {

namespace {

const QString kKeywordPrompt = QStringLiteral("请输入关键词");
const QString kKeywordCaptionIdle = QStringLiteral("关键词监控(多条关键词用中文逗号隔开)");
const QString kKeywordCaptionRunning = QStringLiteral("关键词监控(运行中)");
const QString kFolderPrompt = QStringLiteral("请选择保存目录");

void Name(QWidget* widget, const char* objectName) {
    widget->setObjectName(QString::fromUtf8(objectName));
}

// A caption label sized to its text, whose top is where the layout puts it.
Label* AddLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = new Label(text, parent);
    Name(label, name);
    label->SetTextColor(skin::kText);
    label->setGeometry(x, y, label->fontMetrics().horizontalAdvance(text) + 4, 14);
    return label;
}

SlideSwitch* AddSwitch(QWidget* parent, const char* name, int x, int y) {
    auto* toggle = new SlideSwitch(parent);
    Name(toggle, name);
    toggle->setGeometry(x, y, 56, 24);
    return toggle;
}

template <typename Box>
Box* AddBox(QWidget* parent, const char* name, const QString& text, QRect where) {
    auto* box = new Box(text, parent);
    Name(box, name);
    box->setGeometry(where);
    return box;
}

int TextNumber(const QString& text) {
    return TextToInt(LocalFromQString(text));
}

}  // namespace

SettingsWindow::SettingsWindow(SettingsTarget& target)
    : SkinWindow(&target.Window()), target_(target) {
    setObjectName(QStringLiteral("SettingsWindow"));
    setWindowTitle(QStringLiteral("设置"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kWidth, kHeight);
    BuildGroups();
    BuildControls();
    ConnectControls();
}

void SettingsWindow::BuildGroups() {
    auto group = [this](const char* name, const QString& caption, QRect where) {
        auto* box = new GroupBox(caption, this);
        Name(box, name);
        box->setGeometry(where);
        return box;
    };
    refreshGroup_ = group("分组框EX2", QStringLiteral("自动刷新"), QRect(24, 52, 328, 64));
    keywordGroup_ = group("分组框EX3", kKeywordCaptionIdle, QRect(23, 118, 328, 64));
    generalGroup_ =
        group("分组框EX1", QStringLiteral("通用配置(全屏使用其它应用时，建议关闭总在最前)"),
              QRect(23, 184, 328, 120));
    saveGroup_ =
        group("分组框EX4", QStringLiteral("自动保存(日常使用不建议开启)"), QRect(23, 305, 328, 70));
}

void SettingsWindow::BuildControls() {
    auto* title = new Label(QStringLiteral("设置"), this);
    Name(title, "标签EX2");
    title->setGeometry(15, 24, 44, 21);
    title->setFont(SkinFont(15, true));
    title->SetTextColor(skin::kText);
    title->setAttribute(Qt::WA_TransparentForMouseEvents);  // drags the window
    auto* note = new Label(QStringLiteral("设置都会在关闭应用时保存"), this);
    Name(note, "标签EX_内容7");
    note->setGeometry(66, 28, 168, 14);
    note->setAttribute(Qt::WA_TransparentForMouseEvents);
    closeButton_ = new TitleButton(TitleButton::Glyph::kClose, this);
    Name(closeButton_, "按钮EX_关闭");
    closeButton_->setGeometry(kWidth - 35, 20, 16, 16);

    AddLabel(refreshGroup_, "标签EX_内容", QStringLiteral("刷新间隔："), 13, 32);
    secondsBox_ =
        AddBox<EditBox>(refreshGroup_, "编辑框EX1", QStringLiteral("60"), QRect(98, 22, 134, 32));
    AddLabel(refreshGroup_, "标签EX_内容1", QStringLiteral("秒"), 235, 32);
    refreshSwitch_ = AddSwitch(refreshGroup_, "滑动按钮EX1", 262, 26);

    AddLabel(keywordGroup_, "标签EX_内容3", QStringLiteral("关键词："), 13, 32);
    keywordBox_ =
        AddBox<EditBox>(keywordGroup_, "编辑框EX2", kKeywordPrompt, QRect(98, 22, 110, 32));
    // The rules go beyond the monitor; their window opens from beside its box.
    rulesButton_ = new CaptionButton(QStringLiteral("规则"), keywordGroup_);
    Name(rulesButton_, "按钮_规则");
    rulesButton_->setGeometry(213, 24, 44, 28);
    rulesButton_->SetCaptionColor(skin::kText);
    keywordSwitch_ = AddSwitch(keywordGroup_, "滑动按钮EX2", 262, 26);

    AddLabel(generalGroup_, "标签EX_内容2", QStringLiteral("透明度设置："), 13, 27);
    opacitySlider_ = new Slider(generalGroup_);
    Name(opacitySlider_, "滑块条EX1");
    opacitySlider_->setGeometry(92, 25, 216, 16);
    opacitySlider_->SetRange(0, 100);
    AddLabel(generalGroup_, "标签EX_内容4", QStringLiteral("靠边隐藏："), 13, 54);
    edgeSwitch_ = AddSwitch(generalGroup_, "滑动按钮EX3", 89, 48);
    AddLabel(generalGroup_, "标签EX_内容5", QStringLiteral("总在最前："), 153, 54);
    topMostSwitch_ = AddSwitch(generalGroup_, "滑动按钮EX5", 229, 48);
    AddLabel(generalGroup_, "标签EX_内容8", QStringLiteral("任务栏显示："), 12, 86);
    taskbarSwitch_ = AddSwitch(generalGroup_, "滑动按钮EX6", 88, 80);
    AddLabel(generalGroup_, "标签EX_内容9", QStringLiteral("开机自启："), 152, 86);
    autorunSwitch_ = AddSwitch(generalGroup_, "滑动按钮EX7", 228, 80);

    minutesBox_ =
        AddBox<MinutesBox>(saveGroup_, "编辑框EX3", QStringLiteral("10"), QRect(20, 25, 52, 32));
    AddLabel(saveGroup_, "标签EX_内容6", QStringLiteral("分"), 75, 34);
    // The folder comes from the chooser only, so the box always shows the
    // folder the export will write to.
    folderBox_ = AddBox<FolderBox>(saveGroup_, "编辑框EX4", kFolderPrompt, QRect(98, 25, 152, 32));
    autoSaveSwitch_ = AddSwitch(saveGroup_, "滑动按钮EX4", 262, 29);
}

void SettingsWindow::ConnectControls() {
    connect(closeButton_, &QAbstractButton::clicked, this, &QWidget::close);
    connect(closeButton_, &HoverButton::PointerEntered, this,
            [this] { target_.ShowTip(QStringLiteral("关闭")); });
    connect(closeButton_, &HoverButton::PointerLeft, this, [] { CloseTipBox(); });

    connect(refreshSwitch_, &QAbstractButton::clicked, this, &SettingsWindow::OnAutoRefreshSwitch);
    connect(keywordSwitch_, &QAbstractButton::clicked, this, &SettingsWindow::OnKeywordSwitch);
    connect(keywordBox_, &EditBox::Clicked, keywordBox_, &QLineEdit::clear);
    connect(rulesButton_, &QAbstractButton::clicked, this, [this] { target_.OpenRules(); });
    connect(opacitySlider_, &Slider::PositionChanged, this, &SettingsWindow::OnOpacityMoved);
    connect(edgeSwitch_, &QAbstractButton::clicked, this, &SettingsWindow::OnEdgeSwitch);
    connect(topMostSwitch_, &QAbstractButton::clicked, this, &SettingsWindow::OnTopMostSwitch);
    connect(taskbarSwitch_, &QAbstractButton::clicked, this, &SettingsWindow::OnTaskbarSwitch);
    connect(autorunSwitch_, &QAbstractButton::clicked, this, &SettingsWindow::OnAutorunSwitch);
    connect(minutesBox_, &QLineEdit::textEdited, this, &SettingsWindow::OnMinutesEdited);
    connect(folderBox_, &EditBox::Clicked, this, &SettingsWindow::OnFolderClicked);
    connect(autoSaveSwitch_, &QAbstractButton::clicked, this, &SettingsWindow::OnAutoSaveSwitch);
}

void SettingsWindow::FillSettingsWindow() {
    const SettingsFields& state = target_.Settings();
    opacitySlider_->SetPosition(state.opacity * 100 / 255);
    edgeSwitch_->SetState(state.dockToEdge);
    topMostSwitch_->SetState(state.alwaysOnTop);
    taskbarSwitch_->SetState(state.taskbarMode);
    autorunSwitch_->SetState(state.launchAtStartup);
    if (state.keywordMonitorOn) {
        keywordSwitch_->SetState(1);
        keywordBox_->setText(QStringFromLocal(state.keywordText));
        keywordBox_->setEnabled(false);
        keywordGroup_->SetCaption(kKeywordCaptionRunning);
    }
    if (state.autoRefreshOn) {
        refreshSwitch_->SetState(1);
        secondsBox_->setText(QString::number(state.autoRefreshSeconds));
        secondsBox_->setEnabled(false);
    }
    autoSaveSwitch_->SetState(state.autoSaveOn);
    minutesBox_->setEnabled(!state.autoSaveOn);
    folderBox_->setEnabled(!state.autoSaveOn);
    folderBox_->setText(QStringFromLocal(state.saveDirectory));
    minutesBox_->setText(QString::number(state.autoSaveMinutes));
}

void SettingsWindow::OnAutoRefreshSwitch() {
    SettingsFields& state = target_.Settings();
    refreshSwitch_->SetState(!refreshSwitch_->On());
    if (refreshSwitch_->On()) {
        const int seconds = TextNumber(secondsBox_->text());
        if (seconds < 30) {
            ShowMessageBox(QStringLiteral("开启自动刷新不可小于30秒"));
            refreshSwitch_->SetState(0);
        } else {
            state.autoRefreshOn = true;
            secondsBox_->setEnabled(false);
            target_.ApplyRefreshPeriod(TimerInterval(seconds, 1000));
            state.autoRefreshSeconds = seconds;
        }
    }
    if (!refreshSwitch_->On()) {
        state.autoRefreshOn = false;
        secondsBox_->setEnabled(true);
        target_.ApplyRefreshPeriod(0);
        state.autoRefreshSeconds = 0;
    }
}

void SettingsWindow::OnKeywordSwitch() {
    SettingsFields& state = target_.Settings();
    // Only turning on needs keywords; a monitor restored with the prompt as
    // its text can still be turned off.
    if (!keywordSwitch_->On() && keywordBox_->text() == kKeywordPrompt) {
        ShowMessageBox(QStringLiteral("请输入关键字在开启监控"));
        return;
    }
    keywordSwitch_->SetState(!keywordSwitch_->On());
    const bool on = keywordSwitch_->On();
    state.keywordMonitorOn = on;
    keywordBox_->setEnabled(!on);
    if (on) state.keywordText = LocalFromQString(keywordBox_->text());
    keywordGroup_->SetCaption(on ? kKeywordCaptionRunning : kKeywordCaptionIdle);
}

void SettingsWindow::OnOpacityMoved(int position) {
    const int opacity = position * 255 / 100;
    target_.ApplyOpacity(opacity);
    target_.Settings().opacity = opacity;
}

void SettingsWindow::OnEdgeSwitch() {
    edgeSwitch_->SetState(!edgeSwitch_->On());
    target_.Settings().dockToEdge = edgeSwitch_->On();
    target_.ApplyDocking(edgeSwitch_->On());
}

void SettingsWindow::OnTopMostSwitch() {
    topMostSwitch_->SetState(!topMostSwitch_->On());
    target_.Settings().alwaysOnTop = topMostSwitch_->On();
    target_.SetTopMost(topMostSwitch_->On());
}

void SettingsWindow::OnTaskbarSwitch() {
    taskbarSwitch_->SetState(!taskbarSwitch_->On());
    target_.Settings().taskbarMode = taskbarSwitch_->On();
    target_.ApplyTaskbarButton(taskbarSwitch_->On());
}

void SettingsWindow::OnAutorunSwitch() {
    autorunSwitch_->SetState(!autorunSwitch_->On());
    target_.Settings().launchAtStartup = autorunSwitch_->On();
    target_.ApplyLaunchAtStartup(autorunSwitch_->On());
}

void SettingsWindow::OnMinutesEdited() {
    target_.Settings().autoSaveMinutes = TextNumber(minutesBox_->text());
}

void SettingsWindow::OnFolderClicked() {
    folderBox_->setText(ChooseFolder(this, kFolderPrompt));
    target_.Settings().saveDirectory = LocalFromQString(folderBox_->text());
}

void SettingsWindow::OnAutoSaveSwitch() {
    SettingsFields& state = target_.Settings();
    const QString folder = folderBox_->text();
    // As with the keywords, only turning on needs a folder.
    if (!autoSaveSwitch_->On() && (folder == kFolderPrompt || folder.isEmpty())) {
        ShowMessageBox(QStringLiteral("请选择保存目录在开启！"));
        return;
    }
    autoSaveSwitch_->SetState(!autoSaveSwitch_->On());
    const bool on = autoSaveSwitch_->On();
    state.autoSaveOn = on;
    target_.RestartAutoSaveTimer();
    minutesBox_->setEnabled(!on);
    folderBox_->setEnabled(!on);
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    closing_ = true;
    CloseTipBox();
    if (topMostSwitch_->On()) target_.SetTopMost(true);
    event->accept();
}

void OpenSettingsWindow(SettingsTarget& target) {
    // First, so that the window shown next comes in front of the main one.
    target.SetTopMost(false);
    QWidget& main = target.Window();
    if (SettingsWindow* open = OpenChildWindow<SettingsWindow>(main)) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto* open = new SettingsWindow(target);
    open->FillSettingsWindow();
    ShowInScreenCentre(*open, main);
}

}  // namespace vantrel
