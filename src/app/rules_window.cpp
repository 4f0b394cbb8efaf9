#include "app/rules_window.h"

#include <QCloseEvent>

#include <algorithm>

#include "app/keyword_monitor.h"
#include "app/main_window.h"
#include "app/rule_highlight.h"
#include "net/code_page.h"
#include "net/regex_object.h"
#include "rules/rule_set.h"
#include "rules/rules_file.h"
#include "toolkit/caption_button.h"
#include "toolkit/color_swatch.h"
#include "toolkit/core_bridge.h"
#include "toolkit/edit_box.h"
#include "toolkit/group_box.h"
#include "toolkit/label.h"
#include "toolkit/list_view.h"
#include "toolkit/skin.h"
#include "toolkit/slide_switch.h"

namespace vantrel {
namespace {

constexpr std::uint32_t kPalette[] = {0xFF3399FF, 0xFF3DD68C, 0xFFF5C542, 0xFFE5484D,
                                      0xFFB57BFF, 0xFFFF6BB5, 0xFF35C3F3, COLOR_ACCENT};
constexpr int kPaletteSize = static_cast<int>(std::size(kPalette));
// Words in a box are separated as the keyword monitor separates its keywords.
const QString kWordSeparator = QStringLiteral("，");
const QString kMonitorName = QStringLiteral("关键词监控");
constexpr int kMarkerColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kNotifyColumn = 2;

void Name(QWidget* widget, const char* objectName) {
    widget->setObjectName(QString::fromUtf8(objectName));
}

Label* AddLabel(QWidget* parent, const QString& text, int x, int y) {
    auto* label = new Label(text, parent);
    label->SetTextColor(skin::kText);
    label->setGeometry(x, y, label->fontMetrics().horizontalAdvance(text) + 4, 14);
    return label;
}

EditBox* AddBox(QWidget* parent, const char* name, QRect where) {
    auto* box = new EditBox(QString(), parent);
    Name(box, name);
    box->setGeometry(where);
    return box;
}

std::vector<std::string> WordsOf(const QString& text) {
    std::vector<std::string> words;
    for (const QString& word : text.split(kWordSeparator, Qt::SkipEmptyParts))
        words.push_back(word.toStdString());
    return words;
}

QString TextOf(const std::vector<std::string>& words) {
    QStringList texts;
    for (const std::string& word : words)
        texts << QString::fromStdString(word);
    return texts.join(kWordSeparator);
}

std::string FreeName(const std::vector<KeywordRule>& rules) {
    for (int n = 1;; ++n) {
        const std::string name = "新规则" + (n == 1 ? std::string() : std::to_string(n));
        const bool taken = std::any_of(rules.begin(), rules.end(),
                                       [&](const KeywordRule& rule) { return rule.name == name; });
        if (!taken) return name;
    }
}

}  // namespace

RulesWindow::RulesWindow(MainWindow& main) : SkinWindow(&main), main_(main) {
    setObjectName(QStringLiteral("RulesWindow"));
    setWindowTitle(QStringLiteral("规则"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kWidth, kHeight);
    rules_ = main.State().rules.Rules();
    rows_.InsertColumn(std::string(), 18);
    rows_.InsertColumn(Utf8ToLocal("规则"), 112);
    rows_.InsertColumn(Utf8ToLocal("提醒"), 34);
    BuildControls();
    BuildEditor();
    ConnectControls();
    ShowStatus();
    Choose(0);
}

RulesWindow::~RulesWindow() {
    // The list view listens to the model held as a member here; Qt would
    // delete the view only after the members are gone, so it goes first.
    delete list_;
}

void RulesWindow::BuildControls() {
    AddTitleRow(*this, QStringLiteral("规则"), "标签_规则标题");

    status_ = new Label(QString(), this);
    Name(status_, "标签_规则状态");
    status_->setGeometry(20, 54, kWidth - 160, 36);
    status_->SetWordWrap(true);
    AddLabel(this, QStringLiteral("勿扰："), kWidth - 120, 64);
    quietSwitch_ = new SlideSwitch(this);
    Name(quietSwitch_, "滑动按钮_勿扰");
    quietSwitch_->setGeometry(kWidth - 76, 58, 56, 24);

    list_ = new ListView(this);
    Name(list_, "列表_规则");
    list_->setGeometry(20, 100, 170, 292);
    list_->SetModel(&rows_);
    addButton_ = new CaptionButton(QStringLiteral("添加"), this);
    Name(addButton_, "按钮_添加规则");
    addButton_->setGeometry(20, 402, 80, 30);
    addButton_->SetCaptionColor(skin::kText);
    deleteButton_ = new CaptionButton(QStringLiteral("删除"), this);
    Name(deleteButton_, "按钮_删除规则");
    deleteButton_->setGeometry(110, 402, 80, 30);
    deleteButton_->SetCaptionColor(skin::kDanger);
}

void RulesWindow::BuildEditor() {
    editor_ = new GroupBox(QStringLiteral("编辑规则"), this);
    Name(editor_, "分组框_编辑规则");
    editor_->setGeometry(205, 96, 315, 336);
    const QString captions[] = {QStringLiteral("名称："), QStringLiteral("关键词："),
                                QStringLiteral("排除："), QStringLiteral("正则：")};
    for (int i = 0; i < 4; ++i)
        AddLabel(editor_, captions[i], 13, 32 + 36 * i);
    nameBox_ = AddBox(editor_, "编辑框_名称", QRect(68, 24, 232, 30));
    wordsBox_ = AddBox(editor_, "编辑框_关键词", QRect(68, 60, 232, 30));
    excludeBox_ = AddBox(editor_, "编辑框_排除", QRect(68, 96, 232, 30));
    regexBox_ = AddBox(editor_, "编辑框_正则", QRect(68, 132, 232, 30));
    check_ = new Label(QString(), editor_);
    Name(check_, "标签_匹配数");
    check_->setGeometry(68, 166, 232, 16);

    AddLabel(editor_, QStringLiteral("来源："), 13, 198);
    const QString sources[SOURCE_COUNT] = {QStringLiteral("微博"), QStringLiteral("百度"),
                                           QStringLiteral("头条"), QStringLiteral("抖音")};
    for (int i = 0; i < SOURCE_COUNT; ++i) {
        auto* button = new CaptionButton(sources[i], editor_);
        button->setObjectName(QStringLiteral("按钮_来源") + sources[i]);
        button->setGeometry(68 + 58 * i, 190, 52, 28);
        sourceButtons_[i] = button;
    }
    AddLabel(editor_, QStringLiteral("颜色："), 13, 234);
    for (int i = 0; i <= kPaletteSize; ++i) {
        // The last one shows a colour the file named that the palette lacks.
        auto* swatch = new ColorSwatch(i < kPaletteSize ? kPalette[i] : COLOR_TITLE, editor_);
        swatch->setObjectName(QStringLiteral("色块_%1").arg(i));
        swatch->setGeometry(66 + 26 * i, 228, 24, 24);
        swatches_.push_back(swatch);
    }
    AddLabel(editor_, QStringLiteral("提醒："), 13, 270);
    notifySwitch_ = new SlideSwitch(editor_);
    Name(notifySwitch_, "滑动按钮_提醒");
    notifySwitch_->setGeometry(68, 264, 56, 24);
    note_ = new Label(QString(), editor_);
    Name(note_, "标签_规则说明");
    note_->setGeometry(13, 298, 290, 30);
    note_->SetWordWrap(true);
}

void RulesWindow::ConnectControls() {
    connect(list_, &ListView::RowActivated, this, &RulesWindow::Choose);
    connect(addButton_, &QAbstractButton::clicked, this, &RulesWindow::OnAdd);
    connect(deleteButton_, &QAbstractButton::clicked, this, &RulesWindow::OnDelete);
    for (EditBox* box : {nameBox_, wordsBox_, excludeBox_, regexBox_})
        connect(box, &QLineEdit::textChanged, this, &RulesWindow::OnFieldEdited);
    for (int i = 0; i < SOURCE_COUNT; ++i) {
        connect(sourceButtons_[i], &QAbstractButton::clicked, this,
                [this, i] { OnSourceClicked(i); });
    }
    for (ColorSwatch* swatch : swatches_) {
        connect(swatch, &QAbstractButton::clicked, this,
                [this, swatch] { OnColorClicked(swatch); });
    }
    connect(notifySwitch_, &QAbstractButton::clicked, this, &RulesWindow::OnNotifyClicked);
    connect(quietSwitch_, &QAbstractButton::clicked, this, &RulesWindow::OnDoNotDisturbClicked);
}

void RulesWindow::Choose(int row) {
    chosen_ = std::clamp(row, 0, static_cast<int>(rules_.size()));
    FillList();
    FillEditor();
}

void RulesWindow::FillList() {
    const AppState& state = main_.State();
    rows_.DeleteItem(-1);
    const auto addRow = [this](const QString& name, std::uint32_t color, bool notify) {
        const int row = rows_.InsertItem(-1, 28);
        rows_.SetItemTitle(row, kMarkerColumn, row == chosen_ ? Utf8ToLocal("›") : std::string());
        rows_.SetItemFontColor(row, kMarkerColumn, skin::kAccent);
        rows_.SetItemTitle(row, kNameColumn, LocalFromQString(name));
        rows_.SetItemFontColor(row, kNameColumn, color);
        rows_.SetItemTitle(row, kNotifyColumn, notify ? Utf8ToLocal("开") : std::string());
        rows_.SetItemFontColor(row, kNotifyColumn, skin::kMutedText);
    };
    addRow(kMonitorName, state.keywordMonitorOn ? COLOR_ACCENT : skin::kMutedText, false);
    for (const KeywordRule& rule : rules_)
        addRow(QString::fromStdString(rule.name), rule.color, rule.notify);
    quietSwitch_->SetState(state.doNotDisturb);
    deleteButton_->setEnabled(chosen_ > 0);
}

void RulesWindow::FillEditor() {
    filling_ = true;
    AppState& state = main_.State();
    const bool monitor = chosen_ == 0;
    const KeywordRule rule = monitor ? KeywordRule{} : rules_[chosen_ - 1];
    nameBox_->setText(monitor ? kMonitorName : QString::fromStdString(rule.name));
    wordsBox_->setText(monitor ? QStringFromLocal(state.keywordText) : TextOf(rule.words));
    excludeBox_->setText(TextOf(rule.exclude));
    regexBox_->setText(QString::fromStdString(rule.regex));
    for (EditBox* box : {nameBox_, wordsBox_, excludeBox_, regexBox_})
        box->setEnabled(!monitor);
    for (int i = 0; i < SOURCE_COUNT; ++i) {
        sourceButtons_[i]->SetSelected(rule.sources[i]);
        sourceButtons_[i]->SetCaptionColor(rule.sources[i] ? skin::kText : skin::kMutedText);
        sourceButtons_[i]->setEnabled(!monitor);
    }
    const std::uint32_t color = monitor ? COLOR_ACCENT : rule.color;
    const bool inPalette =
        std::find(std::begin(kPalette), std::end(kPalette), color) != std::end(kPalette);
    swatches_.back()->SetColor(color);
    swatches_.back()->setVisible(!inPalette);
    for (ColorSwatch* swatch : swatches_) {
        swatch->SetChosen(swatch->Color() == color);
        swatch->setEnabled(!monitor);
    }
    notifySwitch_->SetState(rule.notify);
    notifySwitch_->setEnabled(!monitor);
    note_->SetText(monitor ? QStringLiteral("关键词监控在设置窗口中修改，列表中它的橙色优先。")
                           : QStringLiteral("多个词用中文逗号“，”隔开；无关键词即匹配全部标题。"
                                            "正则不区分大小写。"));
    filling_ = false;
    if (monitor) {
        const ListModel& list = main_.List();
        int matched = 0;
        for (int row = 0; row < list.ItemCount(); ++row)
            matched += TitleMatchesKeywords(list.ItemTitle(row, COLUMN_TITLE), state) ? 1 : 0;
        check_->SetTextColor(skin::kMutedText);
        check_->SetText(
            QStringLiteral("匹配当前 %1 / %2 条标题").arg(matched).arg(list.ItemCount()));
        return;
    }
    ShowDraftCheck(Draft());
}

void RulesWindow::ShowStatus() {
    const std::string& problem = main_.State().rulesStatus;
    const bool bad = saveFailed_ || !problem.empty();
    status_->SetTextColor(bad ? skin::kDanger : skin::kMutedText);
    status_->SetText(saveFailed_ ? QStringLiteral("无法写入 rules.json，这次改动没有保存。")
                     : bad       ? QString::fromStdString(problem)
                                 : QStringLiteral("改动即时保存到 rules.json。"));
}

KeywordRule RulesWindow::Draft() const {
    KeywordRule draft = rules_[chosen_ - 1];
    draft.name = nameBox_->text().toStdString();
    draft.words = WordsOf(wordsBox_->text());
    draft.exclude = WordsOf(excludeBox_->text());
    draft.regex = regexBox_->text().toStdString();
    return draft;
}

bool RulesWindow::ShowDraftCheck(const KeywordRule& draft) {
    QString problem;
    if (draft.name.empty()) problem = QStringLiteral("名称不能为空");
    const std::optional<PatternFault> fault = FindPatternFault(Utf8ToLocal(draft.regex));
    if (problem.isEmpty() && fault) {
        problem = QStringLiteral("正则第 %1 个字符处有误：%2")
                      .arg(fault->position)
                      .arg(QString::fromStdString(fault->message));
    }
    check_->SetTextColor(problem.isEmpty() ? skin::kMutedText : skin::kDanger);
    if (!problem.isEmpty()) {
        check_->SetText(problem);
        return false;
    }
    const ListModel& list = main_.List();
    const RuleSet one({draft});
    const SourceId source = main_.State().listSource;
    int matched = 0;
    for (int row = 0; row < list.ItemCount(); ++row)
        matched += one.Matches(0, source, list.ItemTitle(row, COLUMN_TITLE)) ? 1 : 0;
    check_->SetText(QStringLiteral("匹配当前 %1 / %2 条标题").arg(matched).arg(list.ItemCount()));
    return true;
}

void RulesWindow::Save() {
    AppState& state = main_.State();
    saveFailed_ = !SaveRulesFile(RulesFile{rules_, state.doNotDisturb}, main_.RulesFilePath());
    if (!saveFailed_) {
        state.rules = RuleSet(rules_);
        state.rulesStatus.clear();
        ReapplyHighlights(main_.List(), state, state.listSource);
    }
    ShowStatus();
    FillList();
}

void RulesWindow::OnAdd() {
    KeywordRule rule;
    rule.name = FreeName(rules_);
    rule.color = kPalette[0];
    rules_.push_back(rule);
    Save();
    Choose(static_cast<int>(rules_.size()));
}

void RulesWindow::OnDelete() {
    if (chosen_ == 0) return;
    rules_.erase(rules_.begin() + (chosen_ - 1));
    Save();
    Choose(chosen_);
}

void RulesWindow::OnFieldEdited() {
    if (filling_ || chosen_ == 0) return;
    const KeywordRule draft = Draft();
    // A draft with no name or a broken pattern waits; the file keeps the last good rule.
    if (!ShowDraftCheck(draft)) return;
    rules_[chosen_ - 1] = draft;
    Save();
}

void RulesWindow::OnSourceClicked(int index) {
    if (chosen_ == 0) return;
    std::array<bool, SOURCE_COUNT>& sources = rules_[chosen_ - 1].sources;
    // A rule watches at least one source; none written would read back as all.
    if (sources[index] && std::count(sources.begin(), sources.end(), true) == 1) return;
    sources[index] = !sources[index];
    Save();
    FillEditor();
}

void RulesWindow::OnColorClicked(ColorSwatch* swatch) {
    if (chosen_ == 0) return;
    rules_[chosen_ - 1].color = swatch->Color();
    Save();
    FillEditor();
}

void RulesWindow::OnNotifyClicked() {
    if (chosen_ == 0) return;
    rules_[chosen_ - 1].notify = !rules_[chosen_ - 1].notify;
    Save();
    FillEditor();
}

void RulesWindow::OnDoNotDisturbClicked() {
    main_.State().doNotDisturb = !main_.State().doNotDisturb;
    Save();
}

void RulesWindow::closeEvent(QCloseEvent* event) {
    closing_ = true;
    event->accept();
}

void OpenRulesWindow(MainWindow& main) {
    if (RulesWindow* open = OpenChildWindow<RulesWindow>(main)) {
        open->raise();
        open->activateWindow();
        return;
    }
    ShowInScreenCentre(*new RulesWindow(main), main);
}

}  // namespace vantrel
