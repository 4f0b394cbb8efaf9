#include "settings/settings_window.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "app/main_window.h"
#include "app/settings_apply.h"
#include "platform/autostart_entry.h"
#include "platform/fake_taskbar_button.h"
#include "settings/temp_folder.h"
#include "support/qt_app.h"
#include "toolkit/caption_button.h"
#include "toolkit/core_bridge.h"
#include "toolkit/edit_box.h"
#include "toolkit/folder_chooser.h"
#include "toolkit/group_box.h"
#include "toolkit/label.h"
#include "toolkit/list_view.h"
#include "toolkit/message_box.h"
#include "toolkit/skin_window.h"
#include "toolkit/slide_switch.h"
#include "toolkit/slider.h"
#include "toolkit/tip_box.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class SettingsWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
        SetMessageBoxHook([this](MessageBox& box) {
            EXPECT_EQ(box.Title(), QStringLiteral("信息："));
            messages_.push_back(box.Text());
            box.accept();
        });
        main_ = std::make_unique<MainWindow>(config_.path() / "vantrel" / "kweld.ini", taskbar_);
        main_->onOpenSettings = [this] { OpenSettingsWindow(*main_); };
    }
    void TearDown() override {
        SetMessageBoxHook({});
        SetFolderChooserHook({});
        main_.reset();
        ::unsetenv("XDG_CONFIG_HOME");
    }

    // The settings window as the gear button opens it.
    SettingsWindow* Open() {
        QTest::mouseClick(Find<QAbstractButton>(*main_, "按钮EX_设置"), Qt::LeftButton);
        const auto open = main_->findChildren<SettingsWindow*>();
        EXPECT_FALSE(open.isEmpty());
        window_ = open.isEmpty() ? nullptr : open.back();
        return window_;
    }
    void CloseWindow() {
        QTest::mouseClick(Find<QAbstractButton>(*window_, "按钮EX_关闭"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <typename T>
    T* Find(QObject& parent, const char* name) {
        T* found = parent.findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    template <typename T>
    T* Control(const char* name) {
        return Find<T>(*window_, name);
    }
    void Click(const char* name) { QTest::mouseClick(Control<QWidget>(name), Qt::LeftButton); }
    int SwitchState(const char* name) { return Control<SlideSwitch>(name)->State(); }
    QTimer* Timer(const char* name) { return Find<QTimer>(*main_, name); }
    AppState& State() { return main_->State(); }

    testing::TempFolder config_;
    test::FakeTaskbarButton taskbar_;
    std::unique_ptr<MainWindow> main_;
    SettingsWindow* window_ = nullptr;
    QStringList messages_;
};

TEST_F(SettingsWindowTest, GearOpensOneWindowLaidOutAsDesignedAndCloseRestoresTopMost) {
    State().alwaysOnTop = true;
    main_->SetTopMost(true);
    ASSERT_TRUE(Open());
    EXPECT_FALSE(main_->IsTopMost());
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("设置"));
    EXPECT_EQ(window_->size(), QSize(380, 401));
    EXPECT_EQ(window_->parentWidget(), main_.get());
    EXPECT_TRUE(window_->isWindow());
    EXPECT_FALSE(window_->isModal());
    EXPECT_EQ(Control<Label>("标签EX2")->Text(), QStringLiteral("设置"));
    EXPECT_EQ(Control<Label>("标签EX_内容7")->Text(), QStringLiteral("设置都会在关闭应用时保存"));

    // A control's place is its group's corner plus its own position.
    struct Place {
        const char* name;
        QRect rect;
    };
    for (const Place& place : {Place{"编辑框EX1", {24 + 98, 52 + 22, 134, 32}},
                               Place{"滑动按钮EX1", {24 + 262, 52 + 26, 56, 24}},
                               Place{"滑动按钮EX2", {23 + 262, 118 + 26, 56, 24}},
                               Place{"滑块条EX1", {23 + 92, 184 + 25, 216, 16}},
                               Place{"滑动按钮EX3", {23 + 89, 184 + 48, 56, 24}},
                               Place{"滑动按钮EX5", {23 + 229, 184 + 48, 56, 24}},
                               Place{"滑动按钮EX6", {23 + 88, 184 + 80, 56, 24}},
                               Place{"滑动按钮EX7", {23 + 228, 184 + 80, 56, 24}},
                               Place{"编辑框EX3", {23 + 20, 305 + 25, 52, 32}},
                               Place{"编辑框EX4", {23 + 98, 305 + 25, 152, 32}},
                               Place{"滑动按钮EX4", {23 + 262, 305 + 29, 56, 24}}}) {
        QWidget* control = Control<QWidget>(place.name);
        EXPECT_EQ(QRect(control->mapTo(window_, QPoint()), control->size()), place.rect)
            << place.name;
    }
    // Each caption in its place; its width follows the font.
    struct Caption {
        const char* name;
        QPoint at;
        const char* text;
    };
    for (const Caption& c : {Caption{"标签EX_内容", {24 + 13, 52 + 32}, "刷新间隔："},
                             Caption{"标签EX_内容1", {24 + 235, 52 + 32}, "秒"},
                             Caption{"标签EX_内容3", {23 + 13, 118 + 32}, "关键词："},
                             Caption{"标签EX_内容2", {23 + 13, 184 + 27}, "透明度设置："},
                             Caption{"标签EX_内容4", {23 + 13, 184 + 54}, "靠边隐藏："},
                             Caption{"标签EX_内容5", {23 + 153, 184 + 54}, "总在最前："},
                             Caption{"标签EX_内容8", {23 + 12, 184 + 86}, "任务栏显示："},
                             Caption{"标签EX_内容9", {23 + 152, 184 + 86}, "开机自启："},
                             Caption{"标签EX_内容6", {23 + 75, 305 + 34}, "分"}}) {
        Label* label = Control<Label>(c.name);
        ASSERT_NE(label, nullptr) << c.name;
        EXPECT_EQ(label->mapTo(window_, QPoint()), c.at) << c.name;
        EXPECT_EQ(label->Text(), QString::fromUtf8(c.text)) << c.name;
    }
    EXPECT_EQ(Control<Label>("标签EX2")->geometry(), QRect(15, 24, 44, 21));
    EXPECT_EQ(Control<Label>("标签EX_内容7")->geometry(), QRect(66, 28, 168, 14));
    // The close button's tip comes with the pointer and goes with it.
    QWidget* close = Control<QWidget>("按钮EX_关闭");
    test::SendEnter(close);
    EXPECT_EQ(ShownTipText(), QStringLiteral("关闭"));
    test::SendLeave(close);
    EXPECT_TRUE(ShownTipText().isEmpty());
    EXPECT_EQ(Control<GroupBox>("分组框EX1")->Caption(),
              QStringLiteral("通用配置(全屏使用其它应用时，建议关闭总在最前)"));
    EXPECT_EQ(Control<Label>("标签EX_内容9")->Text(), QStringLiteral("开机自启："));

    // A second click finds the open window; closing it brings top-most back when that is on.
    main_->SetTopMost(true);
    SettingsWindow* first = window_;
    Open();
    EXPECT_EQ(window_, first);
    EXPECT_EQ(main_->findChildren<SettingsWindow*>().size(), 1);
    EXPECT_FALSE(main_->IsTopMost());
    Control<SlideSwitch>("滑动按钮EX5")->SetState(1);
    CloseWindow();
    EXPECT_TRUE(main_->findChildren<SettingsWindow*>().isEmpty());
    EXPECT_TRUE(main_->IsTopMost());
}

TEST_F(SettingsWindowTest, FillingShowsTheStateAndRefreshSwitchKeepsThirtySecondsFloor) {
    // A stored period with the switch off still leaves the box at its first text.
    State().autoRefreshSeconds = 45;
    State().keywordMonitorOn = true;
    State().keywordText = LocalFromQString(QStringLiteral("雪，月"));
    State().autoSaveOn = true;
    State().saveDirectory = "/tmp/exports";
    State().autoSaveMinutes = 7;
    State().dockToEdge = true;
    ASSERT_TRUE(Open());
    EXPECT_EQ(SwitchState("滑动按钮EX1"), 0);
    EXPECT_EQ(Control<EditBox>("编辑框EX1")->text(), QStringLiteral("60"));
    EXPECT_EQ(SwitchState("滑动按钮EX2"), 1);
    EXPECT_EQ(Control<EditBox>("编辑框EX2")->text(), QStringLiteral("雪，月"));
    EXPECT_FALSE(Control<EditBox>("编辑框EX2")->isEnabled());
    EXPECT_EQ(Control<GroupBox>("分组框EX3")->Caption(), QStringLiteral("关键词监控(运行中)"));
    EXPECT_EQ(SwitchState("滑动按钮EX3"), 1);
    EXPECT_EQ(SwitchState("滑动按钮EX4"), 1);
    EXPECT_EQ(Control<EditBox>("编辑框EX3")->text(), QStringLiteral("7"));
    EXPECT_EQ(Control<EditBox>("编辑框EX4")->text(), QStringLiteral("/tmp/exports"));
    EXPECT_FALSE(Control<EditBox>("编辑框EX3")->isEnabled());
    EXPECT_FALSE(Control<EditBox>("编辑框EX4")->isEnabled());

    auto* seconds = Control<EditBox>("编辑框EX1");
    QTimer* refresh = Timer("时钟_自动更新");
    seconds->setText(QStringLiteral("29"));
    Click("滑动按钮EX1");
    EXPECT_EQ(messages_, QStringList{QStringLiteral("开启自动刷新不可小于30秒")});
    EXPECT_EQ(SwitchState("滑动按钮EX1"), 0);
    EXPECT_FALSE(State().autoRefreshOn);
    EXPECT_EQ(State().autoRefreshSeconds, 0);
    EXPECT_FALSE(refresh->isActive());
    EXPECT_TRUE(seconds->isEnabled());

    seconds->setText(QStringLiteral("30"));
    Click("滑动按钮EX1");
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_TRUE(State().autoRefreshOn);
    EXPECT_EQ(State().autoRefreshSeconds, 30);
    EXPECT_TRUE(refresh->isActive());
    EXPECT_EQ(refresh->interval(), 30000);
    EXPECT_FALSE(seconds->isEnabled());

    Click("滑动按钮EX1");
    EXPECT_FALSE(State().autoRefreshOn);
    EXPECT_EQ(State().autoRefreshSeconds, 0);
    EXPECT_FALSE(refresh->isActive());
    EXPECT_TRUE(seconds->isEnabled());
}

TEST_F(SettingsWindowTest, KeywordSwitchRefusesThePromptAndAcceptsAnEmptiedBox) {
    ASSERT_TRUE(Open());
    auto* box = Control<EditBox>("编辑框EX2");
    auto* group = Control<GroupBox>("分组框EX3");
    Click("滑动按钮EX2");
    EXPECT_EQ(messages_, QStringList{QStringLiteral("请输入关键字在开启监控")});
    EXPECT_EQ(SwitchState("滑动按钮EX2"), 0);
    EXPECT_FALSE(State().keywordMonitorOn);

    // Every click empties the box, whatever it holds.
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(box->text().isEmpty());
    Click("滑动按钮EX2");
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_TRUE(State().keywordMonitorOn);
    EXPECT_TRUE(State().keywordText.empty());
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(group->Caption(), QStringLiteral("关键词监控(运行中)"));

    Click("滑动按钮EX2");
    EXPECT_FALSE(State().keywordMonitorOn);
    EXPECT_TRUE(box->isEnabled());
    box->insert(QStringLiteral("雪"));
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(box->text().isEmpty());
    box->insert(QStringLiteral("冬至，Snow"));
    Click("滑动按钮EX2");
    EXPECT_EQ(QStringFromLocal(State().keywordText), QStringLiteral("冬至，Snow"));
    EXPECT_EQ(group->Caption(), QStringLiteral("关键词监控(运行中)"));
}

TEST_F(SettingsWindowTest, SliderSetsOpacityWhereStartUpDoesAndReadsLowerNextTime) {
    ASSERT_TRUE(Open());
    auto* slider = Control<Slider>("滑块条EX1");
    EXPECT_EQ(slider->Position(), 100);
    // The click's place on the track picks 50.
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() / 2, 8));
    ASSERT_EQ(slider->Position(), 50);
    EXPECT_EQ(State().opacity, 127);
    EXPECT_EQ(Find<FrameHost>(*main_, "窗口EX1")->Opacity(), 127);
    EXPECT_EQ(Find<CaptionButton>(*main_, "超级按钮EX_抖音")->Opacity(), 127);
    EXPECT_EQ(Find<ListView>(*main_, "超级列表框EX_热点列表1")->Opacity(), 127);
    EXPECT_NEAR(main_->windowOpacity(), 127 / 255.0, 0.01);

    CloseWindow();
    ASSERT_TRUE(Open());
    EXPECT_EQ(Control<Slider>("滑块条EX1")->Position(), 49);
    // Opening shows the value; it does not apply it again.
    EXPECT_EQ(State().opacity, 127);
}

TEST_F(SettingsWindowTest, GeneralSwitchesSetTimersWindowAndAutostartEntry) {
    ASSERT_TRUE(Open());
    Click("滑动按钮EX3");
    EXPECT_TRUE(State().dockToEdge);
    EXPECT_EQ(Timer("时钟_靠边")->interval(), 10);
    EXPECT_TRUE(Timer("时钟_靠边")->isActive());
    Click("滑动按钮EX3");
    EXPECT_FALSE(State().dockToEdge);
    EXPECT_FALSE(Timer("时钟_靠边")->isActive());

    Click("滑动按钮EX5");
    EXPECT_TRUE(State().alwaysOnTop);
    EXPECT_TRUE(main_->IsTopMost());
    Click("滑动按钮EX5");
    EXPECT_FALSE(main_->IsTopMost());

    taskbar_.SetShown(*main_, false);  // as a first start leaves it
    Click("滑动按钮EX6");
    EXPECT_TRUE(State().taskbarMode);
    EXPECT_EQ(SwitchState("滑动按钮EX6"), 1);
    EXPECT_TRUE(taskbar_.Shown(*main_));
    Click("滑动按钮EX6");
    EXPECT_FALSE(State().taskbarMode);
    EXPECT_FALSE(taskbar_.Shown(*main_));

    // The program here is the test binary: it exists, so the entry starts it.
    const fs::path entry = config_.path() / "autostart" / "Sorvane.desktop";
    Click("滑动按钮EX7");
    EXPECT_TRUE(State().launchAtStartup);
    ASSERT_TRUE(fs::exists(entry));
    EXPECT_NE(testing::ReadFile(entry).find("Exec=" + ProgramPath().string()), std::string::npos);
    Click("滑动按钮EX7");
    EXPECT_FALSE(State().launchAtStartup);
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_TRUE(fs::exists(config_.path() / "autostart"));
}

TEST_F(SettingsWindowTest, AutoSaveNeedsAFolderAndLocksItsBoxesWhileOn) {
    ASSERT_TRUE(Open());
    auto* minutes = Control<EditBox>("编辑框EX3");
    auto* folder = Control<EditBox>("编辑框EX4");
    QTimer* timer = Timer("时钟_自动保存");
    Click("滑动按钮EX4");
    EXPECT_EQ(messages_, QStringList{QStringLiteral("请选择保存目录在开启！")});
    EXPECT_EQ(SwitchState("滑动按钮EX4"), 0);

    QStringList titles;
    QString answer;
    SetFolderChooserHook([&](const QString& title) {
        titles << title;
        return answer;
    });
    QTest::mouseClick(folder, Qt::LeftButton);
    EXPECT_EQ(titles, QStringList{QStringLiteral("请选择保存目录")});
    EXPECT_TRUE(folder->text().isEmpty());
    EXPECT_TRUE(State().saveDirectory.empty());
    Click("滑动按钮EX4");
    EXPECT_EQ(messages_.size(), 2);

    answer = QString::fromStdString(config_.path().string()) + QStringLiteral("/导出");
    QTest::mouseClick(folder, Qt::LeftButton);
    EXPECT_EQ(folder->text(), answer);
    EXPECT_EQ(QStringFromLocal(State().saveDirectory), answer);

    minutes->selectAll();
    QTest::keyClicks(minutes, QStringLiteral("5"));
    EXPECT_EQ(State().autoSaveMinutes, 5);
    Click("滑动按钮EX4");
    EXPECT_EQ(messages_.size(), 2);
    EXPECT_TRUE(State().autoSaveOn);
    EXPECT_EQ(timer->interval(), 5 * 60000);
    EXPECT_TRUE(timer->isActive());
    EXPECT_FALSE(minutes->isEnabled());
    EXPECT_FALSE(folder->isEnabled());
    Click("滑动按钮EX4");
    EXPECT_FALSE(State().autoSaveOn);
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(minutes->isEnabled());
    EXPECT_TRUE(folder->isEnabled());
}

TEST_F(SettingsWindowTest, FolderBoxKeepsThePathsEndInView) {
    const QString path = QStringLiteral("/tmp/aud/home/") + QString(60, QLatin1Char('x')) +
                         QStringLiteral("/exports");
    State().saveDirectory = LocalFromQString(path);
    ASSERT_TRUE(Open());
    auto* box = Control<FolderBox>("编辑框EX4");
    EXPECT_EQ(box->text(), path);
    EXPECT_EQ(box->toolTip(), path);
    const QString shown = box->ShownText();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/tmp"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/exports"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_LE(box->fontMetrics().horizontalAdvance(shown), box->width());
}

// The focus goes into a box when the user clicks it, never by itself.
TEST_F(SettingsWindowTest, FocusEntersABoxOnlyByAClickOnIt) {
    ASSERT_TRUE(Open());
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    EXPECT_EQ(qobject_cast<EditBox*>(QApplication::focusWidget()), nullptr);

    auto* seconds = Control<EditBox>("编辑框EX1");
    auto* keywords = Control<EditBox>("编辑框EX2");
    QTest::mouseClick(seconds, Qt::LeftButton);
    ASSERT_TRUE(seconds->hasFocus());
    // Turning the refresh on disables the focused seconds box.
    Click("滑动按钮EX1");
    ASSERT_FALSE(seconds->isEnabled());
    EXPECT_FALSE(keywords->hasFocus());
    EXPECT_EQ(keywords->text(), QStringLiteral("请输入关键词"));
}

TEST_F(SettingsWindowTest, ChangesReachTheFileOnlyWhenTheProgramCloses) {
    const fs::path file = config_.path() / "vantrel" / "kweld.ini";
    ASSERT_TRUE(Open());
    Control<EditBox>("编辑框EX1")->setText(QStringLiteral("90"));
    Click("滑动按钮EX1");
    Click("滑动按钮EX3");
    QTest::mouseClick(Control<QWidget>("编辑框EX2"), Qt::LeftButton);
    Control<EditBox>("编辑框EX2")->insert(QStringLiteral("雪"));
    Click("滑动按钮EX2");
    CloseWindow();
    EXPECT_FALSE(fs::exists(file));

    main_.reset();
    const SettingsFileRead read = LoadSettingsFile(file);
    ASSERT_EQ(read.state, SettingsFileState::kLoaded);
    EXPECT_TRUE(read.fields.autoRefreshOn);
    EXPECT_EQ(read.fields.autoRefreshSeconds, 90);
    EXPECT_TRUE(read.fields.dockToEdge);
    EXPECT_TRUE(read.fields.keywordMonitorOn);
    EXPECT_EQ(QStringFromLocal(read.fields.keywordText), QStringLiteral("雪"));
}

}  // namespace
}  // namespace vantrel
