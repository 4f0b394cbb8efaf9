#include "app/rules_window.h"

#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/main_window.h"
#include "net/code_page.h"
#include "rules/rules_file.h"
#include "settings/settings_window.h"
#include "settings/temp_folder.h"
#include "support/layout_check.h"
#include "support/qt_app.h"
#include "toolkit/caption_button.h"
#include "toolkit/color_swatch.h"
#include "toolkit/edit_box.h"
#include "toolkit/label.h"
#include "toolkit/list_view.h"
#include "toolkit/skin.h"
#include "toolkit/slide_switch.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr char kRules[] = R"json({"rules": [
  {"name": "天气", "words": ["降雪", "寒潮"], "exclude": ["演习"], "color": "#3399FF", "notify": true},
  {"name": "出行", "words": ["春运", "地铁"], "sources": ["weibo", "baidu"], "color": "#3DD68C"},
  {"name": "手机", "regex": "(?:手机|app)", "color": "#A0522D"}
]})json";

// A main window showing a Weibo list, with rules.json beside its settings
// file, and its rules window opened from the settings window's button.
class RulesWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(Folder());
        testing::WriteFile(Folder() / "rules.json", kRules);
        main_ = std::make_unique<MainWindow>(Folder() / "kweld.ini");
        main_->Refresh().SetFetchRoutine(SourceId::kWeibo, [] {
            FetchResult result{FetchStatus::kParsed, 1, {}};
            for (const char* title :
                 {"全国多地迎来今冬首场降雪", "春运火车票开售时间公布", "城市地铁新线路今日开通",
                  "新版个人所得税app上线", "寒潮演习今日举行", "电影春节档定档"})
                result.entries.push_back({Utf8ToLocal(title), "", "", ""});
            return result;
        });
        main_->StartUp();
        main_->Refresh().SelectSource(SourceId::kWeibo);
        OpenSettingsWindow(*main_);
        auto* settings = main_->findChild<SettingsWindow*>();
        ASSERT_NE(settings, nullptr);
        QTest::mouseClick(settings->findChild<QWidget*>(QStringLiteral("按钮_规则")),
                          Qt::LeftButton);
        window_ = main_->findChild<RulesWindow*>();
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override { main_.reset(); }

    fs::path Folder() const { return folder_.path() / "vantrel"; }
    RulesFile Saved() const {
        const RulesLoad load = LoadRulesFile(Folder() / "rules.json");
        EXPECT_EQ(load.state, RulesLoad::State::kLoaded) << load.problem;
        return load.rules;
    }
    template <typename T>
    T* Control(const char* name) {
        T* found = window_->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void Click(const char* name) { QTest::mouseClick(Control<QWidget>(name), Qt::LeftButton); }
    QString Check() { return Control<Label>("标签_匹配数")->Text(); }
    std::uint32_t TitleColor(int row) { return main_->List().ItemFontColor(row, COLUMN_TITLE); }

    testing::TempFolder folder_;
    std::unique_ptr<MainWindow> main_;
    RulesWindow* window_ = nullptr;
};

TEST_F(RulesWindowTest, LooksLikeTheRestOfTheProgram) {
    window_->Choose(1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_));
    const QImage picture = window_->grab().toImage();
    ASSERT_EQ(picture.size(), QSize(RulesWindow::kWidth, RulesWindow::kHeight));
    // Where to keep pictures of this window and the settings window with its button, for the
    // README.
    if (const char* out = std::getenv("VANTREL_SCREENSHOT_DIR")) {
        const QString folder = QString::fromLocal8Bit(out);
        EXPECT_TRUE(picture.save(folder + QStringLiteral("/rules-window.png")));
        EXPECT_TRUE(main_->findChild<SettingsWindow*>()->grab().save(
            folder + QStringLiteral("/settings-window.png")));
    }
    // The dark skin, the chosen rule's blue swatch ringed, the list in the rules' colours.
    EXPECT_EQ(picture.pixelColor(8, 200).rgb() & 0xFFFFFF, 0x1B1D24u);
    auto* blue = Control<ColorSwatch>("色块_0");
    EXPECT_TRUE(blue->Chosen());
    const QPoint centre = blue->mapTo(window_, blue->rect().center());
    EXPECT_EQ(picture.pixelColor(centre).rgb() & 0xFFFFFF, 0x3399FFu);
    auto* list = Control<ListView>("列表_规则");
    bool blueText = false;
    const QRect rule = list->RowRect(1).translated(list->mapTo(window_, QPoint()));
    for (int x = rule.left(); x < rule.right(); ++x) {
        for (int y = rule.top(); y < rule.bottom(); ++y)
            blueText = blueText || (picture.pixelColor(x, y).rgb() & 0xFFFFFF) == 0x3399FFu;
    }
    EXPECT_TRUE(blueText);
    EXPECT_EQ(Check(), QStringLiteral("匹配当前 1 / 6 条标题"));
    test::ExpectTidyLayout(*window_);
    // It opens in the middle of the screen.
    const QRect screen = window_->screen()->availableGeometry();
    EXPECT_LE((window_->geometry().center() - screen.center()).manhattanLength(), 2)
        << window_->geometry().x() << "," << window_->geometry().y();
    // The captions' widths follow the font; their places do not.
    test::ExpectPlaces(*window_, {
                                     {"标签_规则标题", {15, 24, 60, 21}, 15, true},
                                     {"按钮EX_关闭", {505, 20, 16, 16}},
                                     {"标签_规则状态", {20, 54, 380, 36}, 12},
                                     {"勿扰：", {420, 64, 0, 14}, 12},
                                     {"滑动按钮_勿扰", {464, 58, 56, 24}},
                                     {"列表_规则", {20, 100, 170, 292}},
                                     {"按钮_添加规则", {20, 402, 80, 30}},
                                     {"按钮_删除规则", {110, 402, 80, 30}},
                                     {"分组框_编辑规则", {205, 96, 315, 336}},
                                     {"名称：", {13, 32, 0, 14}, 12},
                                     {"关键词：", {13, 68, 0, 14}, 12},
                                     {"排除：", {13, 104, 0, 14}, 12},
                                     {"正则：", {13, 140, 0, 14}, 12},
                                     {"编辑框_名称", {68, 24, 232, 30}},
                                     {"编辑框_关键词", {68, 60, 232, 30}},
                                     {"编辑框_排除", {68, 96, 232, 30}},
                                     {"编辑框_正则", {68, 132, 232, 30}},
                                     {"标签_匹配数", {68, 166, 232, 16}, 12},
                                     {"来源：", {13, 198, 0, 14}, 12},
                                     {"按钮_来源微博", {68, 190, 52, 28}},
                                     {"按钮_来源百度", {126, 190, 52, 28}},
                                     {"按钮_来源头条", {184, 190, 52, 28}},
                                     {"按钮_来源抖音", {242, 190, 52, 28}},
                                     {"颜色：", {13, 234, 0, 14}, 12},
                                     {"色块_0", {66, 228, 24, 24}},
                                     {"色块_8", {274, 228, 24, 24}},
                                     {"提醒：", {13, 270, 0, 14}, 12},
                                     {"滑动按钮_提醒", {68, 264, 56, 24}},
                                     {"标签_规则说明", {13, 298, 290, 30}, 12},
                                 });
    // A colour the palette lacks gets a swatch of its own.
    window_->Choose(3);
    auto* custom = Control<ColorSwatch>("色块_8");
    EXPECT_TRUE(custom->isVisible());
    EXPECT_EQ(custom->Color(), 0xFFA0522Du);
    EXPECT_TRUE(custom->Chosen());
}

TEST_F(RulesWindowTest, EveryChangeIsSavedAtOnceAndColoursTheList) {
    EXPECT_EQ(TitleColor(0), 0xFF3399FFu);  // 降雪: 天气
    EXPECT_EQ(TitleColor(4), COLOR_TITLE);  // 寒潮演习: excluded
    EXPECT_EQ(TitleColor(3), 0xFFA0522Du);  // app: 手机

    window_->Choose(2);
    const ListModel* rows = Control<ListView>("列表_规则")->Model();
    for (int row = 0; row < rows->ItemCount(); ++row)
        EXPECT_EQ(rows->ItemTitle(row, 0) == Utf8ToLocal("›"), row == 2) << row;
    const auto labels = window_->findChildren<Label*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](Label* label) {
        return label->Text() == QStringLiteral("勿扰：");
    }));
    Control<EditBox>("编辑框_关键词")->setText(QStringLiteral("春运，电影"));
    EXPECT_EQ(Saved().rules[1].words, (std::vector<std::string>{"春运", "电影"}));
    EXPECT_EQ(TitleColor(2), COLOR_TITLE);  // 地铁 left the rule
    EXPECT_EQ(TitleColor(5), 0xFF3DD68Cu);
    EXPECT_EQ(Check(), QStringLiteral("匹配当前 2 / 6 条标题"));

    // A broken pattern is named with its position and not saved; a good one is.
    Control<EditBox>("编辑框_正则")->setText(QStringLiteral("票(开售"));
    EXPECT_TRUE(Check().startsWith(QStringLiteral("正则第 5 个字符处有误：")))
        << Check().toStdString();
    EXPECT_EQ(Saved().rules[1].regex, "");
    Control<EditBox>("编辑框_正则")->setText(QStringLiteral("车.开售"));
    EXPECT_EQ(Saved().rules[1].regex, "车.开售");
    EXPECT_EQ(Check(), QStringLiteral("匹配当前 1 / 6 条标题"));
    Control<EditBox>("编辑框_名称")->setText(QString());
    EXPECT_EQ(Check(), QStringLiteral("名称不能为空"));
    EXPECT_EQ(Saved().rules[1].name, "出行");

    // Sources, colour and notify; the last source cannot be taken away.
    Click("按钮_来源微博");
    Click("按钮_来源百度");
    EXPECT_EQ(Saved().rules[1].sources, (std::array<bool, 4>{false, true, false, false}));
    Click("按钮_来源头条");
    EXPECT_EQ(Saved().rules[1].sources, (std::array<bool, 4>{false, true, true, false}));
    Click("色块_3");
    EXPECT_EQ(Saved().rules[1].color, 0xFFE5484Du);
    Click("滑动按钮_提醒");
    EXPECT_TRUE(Saved().rules[1].notify);
    EXPECT_TRUE(main_->State().rules.Rules()[1].notify);
    // Its row: the mark in the accent, the name in its colour, "开" muted.
    EXPECT_EQ(rows->ItemTitle(2, 2), Utf8ToLocal("开"));
    EXPECT_EQ(rows->ItemFontColor(2, 0), skin::kAccent);
    EXPECT_EQ(rows->ItemFontColor(2, 1), 0xFFE5484Du);
    EXPECT_EQ(rows->ItemFontColor(2, 2), skin::kMutedText);

    // Add, delete, and the 勿扰 switch.
    Click("按钮_添加规则");
    ASSERT_EQ(Saved().rules.size(), 4u);
    EXPECT_EQ(Saved().rules[3].name, "新规则");
    EXPECT_EQ(window_->Chosen(), 4);
    Click("按钮_删除规则");
    Click("按钮_删除规则");  // the rule above it, chosen next
    ASSERT_EQ(Saved().rules.size(), 2u);
    EXPECT_EQ(Saved().rules[1].name, "出行");
    EXPECT_FALSE(Control<SlideSwitch>("滑动按钮_勿扰")->On());
    Click("滑动按钮_勿扰");
    EXPECT_TRUE(Saved().doNotDisturb);
    EXPECT_TRUE(main_->State().doNotDisturb);
}

TEST_F(RulesWindowTest, TheListsRowsNameTheirRulesInATooltip) {
    ListView& list = main_->ListControl();
    emit list.RowHovered(1);
    EXPECT_EQ(list.toolTip(), QStringLiteral("匹配规则：出行"));
    emit list.RowHovered(5);
    EXPECT_EQ(list.toolTip(), QString());
    emit list.RowHovered(0);
    emit list.RowsLeft();
    EXPECT_EQ(list.toolTip(), QString());
}

TEST_F(RulesWindowTest, TheMonitorIsTheFirstRowAndCannotBeEditedHere) {
    EXPECT_EQ(window_->Chosen(), 0);
    EXPECT_EQ(Control<EditBox>("编辑框_名称")->text(), QStringLiteral("关键词监控"));
    EXPECT_FALSE(Control<EditBox>("编辑框_关键词")->isEnabled());
    EXPECT_FALSE(Control<QWidget>("按钮_删除规则")->isEnabled());
    Click("按钮_删除规则");
    EXPECT_EQ(Saved().rules.size(), 3u);
}

TEST(RulesWindowStatus, ABrokenFileIsNamedAndTheFirstSaveStartsAFreshOne) {
    testing::TempFolder folder;
    fs::create_directories(folder.path() / "vantrel");
    testing::WriteFile(folder.path() / "vantrel" / "rules.json", "{\"rules\": [");
    MainWindow main(folder.path() / "vantrel" / "kweld.ini");
    main.StartUp();
    OpenRulesWindow(main);
    auto* window = main.findChild<RulesWindow*>();
    ASSERT_NE(window, nullptr);
    auto* status = window->findChild<Label*>(QStringLiteral("标签_规则状态"));
    EXPECT_TRUE(status->Text().contains(QStringLiteral("rules.json.broken-")))
        << status->Text().toStdString();
    EXPECT_TRUE(status->Text().contains(QStringLiteral("现在不使用任何规则")));
    QTest::mouseClick(window->findChild<QWidget*>(QStringLiteral("按钮_添加规则")), Qt::LeftButton);
    EXPECT_EQ(LoadRulesFile(folder.path() / "vantrel" / "rules.json").rules.rules.size(), 1u);
    EXPECT_EQ(status->Text(), QStringLiteral("改动即时保存到 rules.json。"));
    // A second opening raises the same window.
    OpenRulesWindow(main);
    EXPECT_EQ(main.findChildren<RulesWindow*>().size(), 1);
}

}  // namespace
}  // namespace vantrel
