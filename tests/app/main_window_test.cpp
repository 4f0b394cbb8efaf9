#include "app/main_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>

#include "app/fill_row.h"
#include "net/code_page.h"
#include "settings/encrypted_store.h"
#include "support/qt_app.h"
#include "toolkit/caption_button.h"
#include "toolkit/label.h"
#include "toolkit/list_view.h"
#include "toolkit/skin.h"
#include "toolkit/tip_box.h"

// Rectangles in failure messages as x,y wxh.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QRect& r, std::ostream* out) {
    *out << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}
inline void PrintTo(const QPoint& p, std::ostream* out) {
    *out << p.x() << "," << p.y();
}
QT_END_NAMESPACE

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::SendEnter;
using test::SendLeave;

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("vantrel-main-window-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        CloseTipBox();
        fs::remove_all(folder_);
    }

    fs::path SettingsFile() const { return folder_ / "kweld.ini"; }
    bool SaveDockingSettings() const {
        SettingsFields fields;
        fields.dockToEdge = true;
        return SaveSettingsFile(fields, SettingsFile());
    }

    template <typename T>
    T* Find(QWidget& window, const char* name) {
        T* found = window.findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QTimer* Timer(QWidget& window, const char* name) { return Find<QTimer>(window, name); }

    fs::path folder_;
};

// A parsed answer of n entries, ranks from `base`, with tags in the Weibo words.
FetchResult SampleList(int n, int base) {
    const char* tags[] = {"", "hot", "new", "jian_yellow", "fei", "boom", "other"};
    FetchResult result{FetchStatus::kParsed, base, {}};
    for (int i = 0; i < n; ++i) {
        result.entries.push_back(
            {Utf8ToLocal("热搜条目 " + std::to_string(i)), tags[i % 7], "", ""});
    }
    return result;
}

TEST_F(MainWindowTest, RelayoutFollowsTheWindowSize) {
    MainWindow window(SettingsFile());
    window.StartUp();
    struct Expect {
        const char* name;
        QRect rect;
    };
    auto check = [&](std::initializer_list<Expect> expected) {
        for (const Expect& e : expected) {
            QWidget* w = Find<QWidget>(window, e.name);
            if (w) {
                EXPECT_EQ(w->geometry(), e.rect) << e.name << " at " << window.width();
            }
        }
    };
    // At the design size the controls are at their design rectangles.
    check({{"窗口EX1", {4, 4, 24, 24}},
           {"标签EX2", {15, 19, 201, 21}},
           {"按钮EX_设置", {217, 20, 16, 16}},
           {"按钮EX_最小化", {245, 20, 16, 16}},
           {"按钮EX_关闭", {273, 20, 16, 16}},
           // (308 - 42) / 4 = 66.5: the four buttons round to 67 wide.
           {"超级按钮EX_微博", {12, 60, 67, 32}},
           {"超级按钮EX_百度", {85, 60, 67, 32}},
           {"超级按钮EX_头条", {157, 60, 67, 32}},
           {"超级按钮EX_抖音", {230, 60, 67, 32}},
           {"超级列表框EX_热点列表", {12, 98, 284, 424}},
           {"超级列表框EX_热点列表1", {12, 98, 284, 424}},
           {"标签EX1", {21, 498, 69, 16}},
           {"标签_刷新时间", {126, 498, 162, 16}},
           {"图片框EX1", {290, 524, 14, 14}}});
    EXPECT_EQ(window.List().Column(COLUMN_TITLE).width, 220);

    window.show();            // a hidden window is told of its new size only when shown
    window.resize(401, 300);  // (401 - 42) / 4 = 89.75 rounds to 90
    check({{"超级按钮EX_微博", {12, 60, 90, 32}},
           {"超级按钮EX_百度", {108, 60, 90, 32}},
           {"超级按钮EX_头条", {204, 60, 90, 32}},
           {"超级按钮EX_抖音", {299, 60, 90, 32}},
           {"超级列表框EX_热点列表", {12, 98, 377, 182}},
           {"标签EX1", {21, 256, 69, 16}},
           {"标签_刷新时间", {219, 256, 162, 16}},
           {"按钮EX_关闭", {366, 20, 16, 16}},
           {"按钮EX_最小化", {338, 20, 16, 16}},
           {"按钮EX_设置", {310, 20, 16, 16}},
           {"图片框EX1", {383, 282, 14, 14}}});
    EXPECT_EQ(window.List().Column(COLUMN_TITLE).width, 313);

    auto labelsShown = [&] {
        return Find<QWidget>(window, "标签EX1")->isVisible() &&
               Find<QWidget>(window, "标签_刷新时间")->isVisible();
    };
    auto labelsHidden = [&] {
        return !Find<QWidget>(window, "标签EX1")->isVisible() &&
               !Find<QWidget>(window, "标签_刷新时间")->isVisible();
    };
    window.resize(300, 148);
    EXPECT_TRUE(labelsHidden());
    window.resize(300, 149);
    EXPECT_TRUE(labelsShown());
    window.resize(300, 130);
    EXPECT_TRUE(labelsHidden());
    window.resize(300, 400);
    EXPECT_TRUE(labelsShown());
}

TEST_F(MainWindowTest, FirstStartSelectsAndFetchesWeiboAtTheTopRight) {
    MainWindow window(SettingsFile());
    int weiboFetches = 0;
    window.Refresh().SetFetchRoutine(SourceId::kWeibo, [&] {
        ++weiboFetches;
        return SampleList(30, 0);
    });
    window.StartUp();

    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    EXPECT_EQ(window.pos(), QPoint(screenWidth - 328, 20));
    EXPECT_EQ(window.size(), QSize(308, 542));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vantrel"));
    EXPECT_EQ(weiboFetches, 1);
    EXPECT_EQ(window.State().currentSource, SourceId::kWeibo);
    EXPECT_EQ(window.List().ItemCount(), 30);

    auto* weibo = Find<CaptionButton>(window, "超级按钮EX_微博");
    EXPECT_TRUE(weibo->Selected());
    EXPECT_EQ(weibo->CaptionColor(), COLOR_WHITE);
    for (const char* other : {"超级按钮EX_百度", "超级按钮EX_头条", "超级按钮EX_抖音"}) {
        EXPECT_FALSE(Find<CaptionButton>(window, other)->Selected());
        EXPECT_EQ(Find<CaptionButton>(window, other)->CaptionColor(), COLOR_IDLE);
    }

    QTimer* age = Timer(window, "时钟_间隔");
    EXPECT_TRUE(age->isActive());
    EXPECT_EQ(age->interval(), 1000);
    for (const char* stopped : {"时钟_自动更新", "时钟_自动保存", "时钟_靠边"}) {
        EXPECT_FALSE(Timer(window, stopped)->isActive()) << stopped;
    }

    // The age label counts from the fetch that just finished.
    QMetaObject::invokeMethod(age, "timeout");
    EXPECT_TRUE(Find<Label>(window, "标签_刷新时间")->Text().endsWith(QStringLiteral("前更新")));
}

TEST_F(MainWindowTest, AgeLabelWaitsForTheFirstRefresh) {
    MainWindow window(SettingsFile());
    window.StartUp();  // no fetch routine: nothing was fetched
    QMetaObject::invokeMethod(Timer(window, "时钟_间隔"), "timeout");
    EXPECT_EQ(Find<Label>(window, "标签_刷新时间")->Text(), QStringLiteral("更新时间"));
}

TEST_F(MainWindowTest, StoredSettingsSetTimersSourceAndOpacity) {
    SettingsFields fields;
    fields.currentSource = SourceId::kToutiao;
    fields.autoRefreshSeconds = 45;  // with the switch off: the period alone sets the timer
    fields.dockToEdge = true;
    fields.autoSaveOn = true;
    fields.autoSaveMinutes = 2;
    fields.opacity = 128;
    ASSERT_TRUE(SaveSettingsFile(fields, SettingsFile()));

    MainWindow window(SettingsFile());
    int toutiaoFetches = 0;
    window.Refresh().SetFetchRoutine(SourceId::kToutiao, [&] {
        ++toutiaoFetches;
        return SampleList(10, 1);
    });
    window.StartUp();
    EXPECT_EQ(toutiaoFetches, 1);
    EXPECT_TRUE(Find<CaptionButton>(window, "超级按钮EX_头条")->Selected());
    EXPECT_EQ(Timer(window, "时钟_自动更新")->interval(), 45000);
    EXPECT_TRUE(Timer(window, "时钟_自动更新")->isActive());
    EXPECT_EQ(Timer(window, "时钟_靠边")->interval(), 10);
    EXPECT_EQ(Timer(window, "时钟_自动保存")->interval(), 120000);
    EXPECT_TRUE(Timer(window, "时钟_自动保存")->isActive());
    // What the settings window calls after a change: 0 minutes or off stops it.
    window.State().autoSaveMinutes = 0;
    window.RestartAutoSaveTimer();
    EXPECT_FALSE(Timer(window, "时钟_自动保存")->isActive());
    window.State().autoSaveMinutes = 3;
    window.RestartAutoSaveTimer();
    EXPECT_EQ(Timer(window, "时钟_自动保存")->interval(), 180000);
    window.State().autoSaveOn = false;
    window.RestartAutoSaveTimer();
    EXPECT_FALSE(Timer(window, "时钟_自动保存")->isActive());
    EXPECT_EQ(Find<CaptionButton>(window, "超级按钮EX_抖音")->Opacity(), 128);
    EXPECT_EQ(Find<ListView>(window, "超级列表框EX_热点列表1")->Opacity(), 128);
    EXPECT_NEAR(window.windowOpacity(), 128 / 255.0, 0.01);
}

TEST_F(MainWindowTest, ShortSettingsFileIsDeletedAndWeiboShown) {
    SettingsFields fields;
    fields.dockToEdge = true;
    const std::string text = FormatSettingsText(fields);
    const std::string shortText = text.substr(0, text.rfind('|'));
    ASSERT_TRUE(StoreEncryptedText(SettingsFile(), shortText));

    MainWindow window(SettingsFile());
    int weiboFetches = 0;
    window.Refresh().SetFetchRoutine(SourceId::kWeibo, [&] {
        ++weiboFetches;
        return SampleList(25, 0);
    });
    window.StartUp();
    EXPECT_FALSE(fs::exists(SettingsFile()));
    EXPECT_EQ(weiboFetches, 1);
    EXPECT_TRUE(Find<CaptionButton>(window, "超级按钮EX_微博")->Selected());
    EXPECT_FALSE(Timer(window, "时钟_靠边")->isActive());  // the timer steps did not run
}

TEST_F(MainWindowTest, SourceButtonsSelectAndHover) {
    MainWindow window(SettingsFile());
    int baiduFetches = 0;
    window.Refresh().SetFetchRoutine(SourceId::kBaidu, [&] {
        ++baiduFetches;
        return SampleList(baiduFetches == 1 ? 12 : 8, 0);
    });
    window.StartUp();
    window.show();
    auto* weibo = Find<CaptionButton>(window, "超级按钮EX_微博");
    auto* baidu = Find<CaptionButton>(window, "超级按钮EX_百度");

    QTest::mouseClick(baidu, Qt::LeftButton);
    EXPECT_EQ(baiduFetches, 1);
    EXPECT_EQ(window.State().currentSource, SourceId::kBaidu);
    EXPECT_TRUE(baidu->Selected());
    EXPECT_EQ(baidu->CaptionColor(), COLOR_WHITE);
    EXPECT_FALSE(weibo->Selected());
    EXPECT_EQ(weibo->CaptionColor(), COLOR_IDLE);
    EXPECT_EQ(window.List().ItemCount(), 12);

    // Clicking the shown source again clears and refills the list.
    QTest::mouseClick(baidu, Qt::LeftButton);
    EXPECT_EQ(baiduFetches, 2);
    EXPECT_EQ(window.List().ItemCount(), 8);

    SendEnter(weibo);
    EXPECT_EQ(weibo->CaptionColor(), COLOR_WHITE);
    SendLeave(weibo);
    EXPECT_EQ(weibo->CaptionColor(), COLOR_IDLE);
    // Leaving the selected button gives it the idle colour too, until the next selection.
    SendLeave(baidu);
    EXPECT_EQ(baidu->CaptionColor(), COLOR_IDLE);
    EXPECT_TRUE(baidu->Selected());
}

TEST_F(MainWindowTest, ListShowsMarkersAndColoursOfFilledRows) {
    MainWindow window(SettingsFile());
    window.Refresh().SetFetchRoutine(SourceId::kWeibo, [] { return SampleList(30, 0); });
    window.StartUp();
    window.show();
    ListView& view = window.ListControl();
    const QImage picture = view.grab().toImage();

    auto colourful = [&](const QRect& box) {
        int count = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = picture.pixelColor(x, y);
                if (c.saturation() > 120 && c.value() > 120) ++count;
            }
        }
        return count;
    };
    auto hasColour = [&](const QRect& box, QRgb wanted) {
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = picture.pixelColor(x, y);
                if (std::abs(c.red() - qRed(wanted)) < 24 &&
                    std::abs(c.green() - qGreen(wanted)) < 24 &&
                    std::abs(c.blue() - qBlue(wanted)) < 24) {
                    return true;
                }
            }
        }
        return false;
    };
    // Ranks 0..3 show their markers, the rank text stays empty.
    for (int row = 0; row < 4; ++row) {
        EXPECT_TRUE(window.List().ItemTitle(row, COLUMN_RANK).empty());
        EXPECT_GT(colourful(view.CellRect(row, COLUMN_RANK)), 20) << "rank marker in row " << row;
    }
    // Rank 4 is orange text; the title is light grey.
    EXPECT_TRUE(hasColour(view.CellRect(4, COLUMN_RANK), COLOR_ACCENT & 0xFFFFFF));
    EXPECT_TRUE(hasColour(view.CellRect(4, COLUMN_TITLE), COLOR_TITLE & 0xFFFFFF));
    // Rows 1..5 carry tag markers; row 0 has none, and neither has row 6 ("other").
    for (int row = 1; row <= 5; ++row) {
        EXPECT_GT(colourful(view.CellRect(row, COLUMN_TAG)), 10) << "tag marker in row " << row;
    }
    EXPECT_EQ(colourful(view.CellRect(0, COLUMN_TAG)), 0);
    EXPECT_EQ(colourful(view.CellRect(6, COLUMN_TAG)), 0);
    // The hidden description column takes no room.
    EXPECT_TRUE(view.CellRect(0, COLUMN_DESCRIPTION).isEmpty());
}

TEST_F(MainWindowTest, HideAndRestoreFollowTheEdgeTimerRule) {
    ASSERT_TRUE(SaveDockingSettings());
    MainWindow window(SettingsFile());
    window.StartUp();
    window.show();
    QTimer* edge = Timer(window, "时钟_靠边");
    ASSERT_TRUE(edge->isActive());

    window.ShowTip(QStringLiteral("最小化"));
    QTest::mouseClick(Find<QWidget>(window, "按钮EX_最小化"), Qt::LeftButton);
    EXPECT_FALSE(edge->isActive());
    EXPECT_EQ(ShownTipBox(), nullptr);
    EXPECT_FALSE(window.IsTopMost());
    // Offscreen there is no tray to come back from: the window is minimised, never lost.
    EXPECT_TRUE(window.isMinimized() || !window.isVisible());

    window.RestoreFromTray();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(edge->isActive());
    EXPECT_EQ(edge->interval(), 10);

    window.State().dockToEdge = false;
    window.HideToTray();
    window.RestoreFromTray();
    EXPECT_FALSE(edge->isActive());
}

// Away from both edges a tick can change nothing, so the timer stops waking
// until something it depends on changes; whoever stopped it keeps it stopped.
TEST_F(MainWindowTest, EdgeTimerRestsAwayFromTheEdgesAndWakesWhenTheWindowMoves) {
    ASSERT_TRUE(SaveDockingSettings());
    MainWindow window(SettingsFile());
    window.StartUp();
    window.show();
    window.move(300, 200);
    QTimer* edge = Timer(window, "时钟_靠边");
    ASSERT_TRUE(edge->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !edge->isActive(); }, 2000));
    EXPECT_EQ(edge->interval(), 10);

    window.move(300, 0);  // against the top edge
    EXPECT_TRUE(edge->isActive());

    window.move(300, 200);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !edge->isActive(); }, 2000));
    window.SetTopMost(true);
    EXPECT_TRUE(edge->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.IsTopMost(); }, 2000))
        << "a tick away from the edges leaves always-on-top off";

    EXPECT_TRUE(QTest::qWaitFor([&] { return !edge->isActive(); }, 2000));
    window.State().dockToEdge = false;
    window.HideToTray();
    window.RestoreFromTray();
    window.move(300, 0);
    EXPECT_FALSE(edge->isActive());
}

TEST_F(MainWindowTest, AlwaysOnTopSurvivesRestoreAndKeepsGeometry) {
    MainWindow window(SettingsFile());
    window.StartUp();
    window.show();
    const QRect where = window.geometry();
    window.SetTopMost(true);
    EXPECT_TRUE(window.IsTopMost());
    EXPECT_EQ(window.geometry(), where);
    window.State().alwaysOnTop = true;
    window.HideToTray();
    EXPECT_FALSE(window.IsTopMost());
    window.RestoreFromTray();
    EXPECT_TRUE(window.IsTopMost());
    EXPECT_EQ(window.geometry(), where);
    window.SetTopMost(false);
    EXPECT_FALSE(window.IsTopMost());
}

TEST_F(MainWindowTest, TitleButtonsShowTheirTips) {
    MainWindow window(SettingsFile());
    window.StartUp();
    window.show();
    for (auto [name, tip] : {std::pair{"按钮EX_设置", "设置"}, std::pair{"按钮EX_最小化", "最小化"},
                             std::pair{"按钮EX_关闭", "关闭"}}) {
        QWidget* button = Find<QWidget>(window, name);
        SendEnter(button);
        QWidget* box = ShownTipBox();
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(box->grab().toImage().pixelColor(1, 1), QColor(0x2C, 0x2C, 0x2C));
        EXPECT_EQ(ShownTipText(), QString::fromUtf8(tip));
        SendLeave(button);
        EXPECT_EQ(ShownTipBox(), nullptr) << name;
    }
    // With no settings window to bring in front, the settings button leaves top-most alone.
    window.SetTopMost(true);
    QTest::mouseClick(Find<QWidget>(window, "按钮EX_设置"), Qt::LeftButton);
    EXPECT_TRUE(window.IsTopMost());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, DestroyingTheWindowSavesTheSettings) {
    {
        MainWindow window(SettingsFile());
        window.StartUp();
        window.State().keywordText = Utf8ToLocal("新闻");
        window.State().autoSaveMinutes = 7;
        QSignalSpy closed(&window, &MainWindow::Closed);
        QTest::mouseClick(Find<QWidget>(window, "按钮EX_关闭"), Qt::LeftButton);
        EXPECT_EQ(closed.count(), 1);
        EXPECT_FALSE(fs::exists(SettingsFile()));  // the file is written on destruction only
    }
    const SettingsFileRead read = LoadSettingsFile(SettingsFile());
    ASSERT_EQ(read.state, SettingsFileState::kLoaded);
    EXPECT_EQ(read.fields.keywordText, Utf8ToLocal("新闻"));
    EXPECT_EQ(read.fields.autoSaveMinutes, 7);
}

}  // namespace
}  // namespace vantrel
