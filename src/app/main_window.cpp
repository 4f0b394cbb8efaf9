#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWindow>

#include <cmath>
#include <cstdio>

#include "app/marker_images.h"
#include "app/rule_highlight.h"
#include "app/rules_window.h"
#include "app/settings_apply.h"
#include "app/source_health.h"
#include "desktop/edge_hide_tick.h"
#include "desktop/window_capture.h"
#include "platform/autostart_entry.h"
#include "platform/x11_edge_strut.h"
#include "platform/x11_window_stacking.h"
#include "rules/rules_file.h"
#include "toolkit/caption_button.h"
#include "toolkit/core_bridge.h"
#include "toolkit/label.h"
#include "toolkit/list_view.h"
#include "toolkit/picture_box.h"
#include "toolkit/skin.h"
#include "toolkit/tip_box.h"
#include "toolkit/title_button.h"

namespace vantrel {

namespace {

constexpr SourceId kSources[SOURCE_COUNT] = {SourceId::kWeibo, SourceId::kBaidu, SourceId::kToutiao,
                                             SourceId::kDouyin};

// The corner mark doubles as the window's resize grip: six dots in a triangle.
QImage GripPicture() {
    QImage picture(14, 14, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ColorFromArgb(0xFF4A5063));
    for (int row = 0; row < 3; ++row) {
        for (int col = 2 - row; col < 3; ++col) {
            painter.drawEllipse(QPointF(3.5 + 4 * col, 3.5 + 4 * row), 1.3, 1.3);
        }
    }
    return picture;
}

// Screens of more than one device pixel per point get the markers drawn at
// twice the size, so they are sharp rather than scaled up.
int PictureScale(const QWidget& widget) {
    return widget.devicePixelRatioF() > 1 ? 2 : 1;
}

QImage ScaledPicture(const Image& image, int scale) {
    QImage picture = QImageFromImage(image);
    picture.setDevicePixelRatio(scale);
    return picture;
}

std::vector<QImage> GroupPictures(ImageGroup group, int scale) {
    std::vector<QImage> pictures;
    for (int e = 0; e < ImageGroupSize(group); ++e) {
        pictures.push_back(ScaledPicture(MarkerImage(group, e, scale), scale));
    }
    return pictures;
}

// Both sizes: the platform picks the one its tray and task switcher need.
QIcon ProgramIcon() {
    QIcon icon;
    for (int scale : {1, 2})
        icon.addPixmap(QPixmap::fromImage(ScaledPicture(ProgramIconImage(scale), scale)));
    return icon;
}

}  // namespace

MainWindow::MainWindow(std::filesystem::path settingsPath, TaskbarButton& taskbarButton)
    : settingsPath_(std::move(settingsPath)),
      taskbarButton_(taskbarButton),
      rulesPath_(RulesPath(settingsPath_)),
      refresh_(state_, list_, buttons_),
      autoSave_(state_, list_, refresh_) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Vantrel"));
    setWindowIcon(ProgramIcon());
    resize(kDesignWidth, kDesignHeight);
    setMinimumSize(220, 120);
    BuildControls();
    BuildTimers();
    ConnectControls();
    RelayoutMainWindow(width(), height());
    onEdgeTick = [this] {
        edgePause_->Settle(EdgeHideTick(*this, X11WindowStacking(), X11EdgeStrut()));
    };
    onAutoSaveTick = [this] { autoSave_.AutoSaveTick(); };
}

MainWindow::~MainWindow() {
    CloseTipBox();
    if (tray_) tray_->hide();
    SaveSettings(state_, settingsPath_);
    // The list views listen to the models held as members here; Qt would
    // delete them only after the members are gone, so they go first.
    delete listView_;
    delete spareListView_;
}

void MainWindow::BuildControls() {
    auto name = [](QWidget* widget, const char* objectName) {
        widget->setObjectName(QString::fromUtf8(objectName));
    };
    frame_ = new FrameHost(this);
    name(frame_, "窗口EX1");
    frame_->setGeometry(4, 4, 24, 24);

    title_ = new Label(QStringLiteral("Vantrel"), this);
    name(title_, "标签EX2");
    title_->setGeometry(15, 19, 201, 21);
    title_->setFont(SkinFont(15, true));
    title_->SetTextColor(skin::kText);
    title_->setAttribute(Qt::WA_TransparentForMouseEvents);  // drags the window

    settingsButton_ = new TitleButton(TitleButton::Glyph::kSettings, this);
    name(settingsButton_, "按钮EX_设置");
    settingsButton_->setGeometry(217, 20, 16, 16);
    minimiseButton_ = new TitleButton(TitleButton::Glyph::kMinimise, this);
    name(minimiseButton_, "按钮EX_最小化");
    minimiseButton_->setGeometry(245, 20, 16, 16);
    closeButton_ = new TitleButton(TitleButton::Glyph::kClose, this);
    name(closeButton_, "按钮EX_关闭");
    closeButton_->setGeometry(273, 20, 16, 16);

    struct SourceControl {
        const char* name;
        const char* caption;
        QRect rect;
    };
    const SourceControl sources[SOURCE_COUNT] = {
        {"超级按钮EX_微博", "新浪微博", QRect(12, 60, 66, 32)},
        {"超级按钮EX_百度", "百度热点", QRect(84, 60, 66, 32)},
        {"超级按钮EX_头条", "今日头条", QRect(156, 60, 66, 32)},
        {"超级按钮EX_抖音", "抖音", QRect(228, 60, 68, 32)},
    };
    for (int i = 0; i < SOURCE_COUNT; ++i) {
        auto* button = new CaptionButton(QString::fromUtf8(sources[i].caption), this);
        name(button, sources[i].name);
        button->setGeometry(sources[i].rect);
        button->SetCaptionColor(COLOR_IDLE);
        sourceButtons_[i] = button;
    }

    // The second list lies under the first: it is never filled, it only follows
    // the window's size and opacity.
    spareListView_ = new ListView(this);
    name(spareListView_, "超级列表框EX_热点列表1");
    spareListView_->setGeometry(12, 98, 284, 424);
    spareListView_->SetModel(&spareList_);
    listView_ = new ListView(this);
    name(listView_, "超级列表框EX_热点列表");
    listView_->setGeometry(12, 98, 284, 424);
    listView_->SetModel(&list_);
    // The link and the age label sit over the bottom of the list.
    listView_->SetFooterHeight(34);

    viewAll_ = new LinkLabel(QStringLiteral("查看全部"), this);
    name(viewAll_, "标签EX1");
    viewAll_->setGeometry(21, 498, 69, 16);
    viewAll_->SetTextColor(skin::kAccent);
    ageLabel_ = new Label(QStringLiteral("更新时间"), this);
    name(ageLabel_, "标签_刷新时间");
    ageLabel_->setGeometry(126, 498, 162, 16);
    ageLabel_->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);

    corner_ = new PictureBox(this);
    name(corner_, "图片框EX1");
    corner_->setGeometry(289, 523, 14, 14);
    corner_->SetPicture(GripPicture());
    corner_->setCursor(Qt::SizeFDiagCursor);
    corner_->installEventFilter(this);
}

void MainWindow::BuildTimers() {
    struct TimerSpec {
        QTimer* timer;
        const char* name;
    };
    for (const TimerSpec& wanted :
         {TimerSpec{&ageTimer_, "时钟_间隔"}, TimerSpec{&refreshTimer_, "时钟_自动更新"},
          TimerSpec{&autoSaveTimer_, "时钟_自动保存"}, TimerSpec{&edgeTimer_, "时钟_靠边"}}) {
        wanted.timer->setParent(this);
        wanted.timer->setObjectName(QString::fromUtf8(wanted.name));
    }
    edgePause_ = std::make_unique<EdgeTickPause>(*this, edgeTimer_);
    SetTimerInterval(ageTimer_, 1000);
    connect(&ageTimer_, &QTimer::timeout, this, &MainWindow::RefreshAgeLabel);
    connect(&refreshTimer_, &QTimer::timeout, this, [this] { refresh_.RefreshCurrentSource(); });
    connect(&autoSaveTimer_, &QTimer::timeout, this, [this] {
        if (onAutoSaveTick) onAutoSaveTick();
    });
    connect(&edgeTimer_, &QTimer::timeout, this, [this] {
        if (onEdgeTick) onEdgeTick();
    });
}

void MainWindow::ConnectControls() {
    connect(this, &SkinWindow::Resized, this, &MainWindow::RelayoutMainWindow);
    connect(this, &SkinWindow::DoubleClicked, this, [this] { CaptureWindowToClipboard(this); });
    struct Tip {
        TitleButton* button;
        QString text;
    };
    for (const Tip& tip : {Tip{settingsButton_, QStringLiteral("设置")},
                           Tip{minimiseButton_, QStringLiteral("最小化")},
                           Tip{closeButton_, QStringLiteral("关闭")}}) {
        const QString text = tip.text;
        connect(tip.button, &HoverButton::PointerEntered, this, [this, text] { ShowTip(text); });
        connect(tip.button, &HoverButton::PointerLeft, this, [] { CloseTipBox(); });
    }
    connect(closeButton_, &QAbstractButton::clicked, this, &QWidget::close);
    connect(minimiseButton_, &QAbstractButton::clicked, this, &MainWindow::HideToTray);
    // The settings window leaves always-on-top itself, once it is there to come in front.
    connect(settingsButton_, &QAbstractButton::clicked, this, [this] {
        if (onOpenSettings) onOpenSettings();
    });

    for (int i = 0; i < SOURCE_COUNT; ++i) {
        const SourceId source = kSources[i];
        CaptionButton* button = sourceButtons_[i];
        connect(button, &QAbstractButton::clicked, this,
                [this, source] { refresh_.SelectSource(source); });
        connect(button, &HoverButton::PointerEntered, this,
                [this, source] { buttons_.PointerEntered(source); });
        connect(button, &HoverButton::PointerLeft, this,
                [this, source] { buttons_.PointerLeft(source); });
    }
    // The rows' tooltips name the rules they matched; Baidu rows show theirs
    // in the description tip instead.
    connect(listView_, &ListView::RowHovered, this, [this](int row) {
        const bool own = state_.currentSource != SourceId::kBaidu;
        listView_->setToolTip(own ? RowTip(row) : QString());
    });
    connect(listView_, &ListView::RowsLeft, this, [this] { listView_->setToolTip(QString()); });
    buttons_.SetListener([this] { ApplyButtonStyles(); });
    refresh_.SetFetchListener([this] {
        RefreshAgeLabel();
        ShowSourceHealth();
    });
}

QString MainWindow::RowTip(int row) {
    QString tip = QStringFromLocal(RuleTip(state_, list_, row));
    if (!history_ || row < 0 || row >= list_.ItemCount()) return tip;
    const QString standing = QStringFromLocal(history_->RowTip(
        state_.listSource, list_.ItemTitle(row, COLUMN_TITLE), std::chrono::system_clock::now()));
    if (standing.isEmpty()) return tip;
    return tip.isEmpty() ? standing : tip + QLatin1Char('\n') + standing;
}

void MainWindow::UseHistory(std::unique_ptr<ListHistory> history) {
    history_ = std::move(history);
    if (!history_) {
        refresh_.SetListKeeper({});
        refresh_.SetStoredLists({});
        return;
    }
    refresh_.SetListKeeper([this](SourceId source, const FetchResult& result, TimePoint at) {
        std::vector<RankChange> changes = history_->Keep(source, result, at);
        ShowHistoryProblem();
        return changes;
    });
    refresh_.SetStoredLists([this](SourceId source) { return history_->Latest(source); });
    ShowHistoryProblem();
}

void MainWindow::ShowHistoryProblem() {
    if (history_) ageLabel_->setToolTip(QStringFromLocal(history_->Problem()));
}

void MainWindow::ShowSourceHealth() {
    for (SourceId source : kSources) {
        const SourceHealth& health = state_.health[static_cast<int>(source) - 1];
        SourceButton(source)->setToolTip(QStringFromLocal(HealthText(source, health)));
    }
}

CaptionButton* MainWindow::SourceButton(SourceId source) const {
    const int n = static_cast<int>(source);
    return IsSourceNumber(n) ? sourceButtons_[n - 1] : nullptr;
}

void MainWindow::ApplyButtonStyles() {
    for (SourceId source : kSources) {
        const SourceButtonStyle& style = buttons_.Style(source);
        SourceButton(source)->SetSelected(style.selected);
        SourceButton(source)->SetCaptionColor(style.captionColor);
    }
}

void MainWindow::StartUp() {
    state_ = AppState{};
    LoadRules();
    InstallTray();
    PlaceAtTopRight();
    fonts_ = {SkinFont(12), SkinFont(14), SkinFont(20)};
    SetUpList();
    ApplyStartupSettings();
}

void MainWindow::LoadRules() {
    const RulesLoad load = LoadRulesFile(rulesPath_);
    state_.rules = RuleSet(load.rules.rules);
    state_.doNotDisturb = load.rules.doNotDisturb;
    state_.rulesStatus = load.Status();
    if (!state_.rulesStatus.empty()) std::fprintf(stderr, "%s\n", state_.rulesStatus.c_str());
}

void MainWindow::InstallTray() {
    if (tray_) return;
    tray_ = new QSystemTrayIcon(this);
    tray_->setIcon(ProgramIcon());
    tray_->setToolTip(QStringLiteral("Vantrel"));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) RestoreFromTray();
    });
    tray_->show();
}

void MainWindow::PlaceAtTopRight() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : 0;
    move(screenWidth - width() - 20, 20);
}

void MainWindow::SetUpList() {
    list_.DeleteItem(-1);
    if (list_.ColumnCount() == 0) SetUpTrendingColumns(list_);
    if (spareList_.ColumnCount() == 0) SetUpTrendingColumns(spareList_);
    const int scale = PictureScale(*this);
    for (ListView* view : {listView_, spareListView_}) {
        view->SetGroupImages(ImageGroup::kRankIcons, GroupPictures(ImageGroup::kRankIcons, scale));
        view->SetGroupImages(ImageGroup::kTagIcons, GroupPictures(ImageGroup::kTagIcons, scale));
    }
    RelayoutMainWindow(width(), height());
}

void MainWindow::ApplyStartupSettings() {
    const StartupPlan plan = LoadSettings(state_, settingsPath_);
    if (plan.refreshIntervalMs) ApplyRefreshPeriod(*plan.refreshIntervalMs);
    if (plan.opacity) ApplyOpacity(*plan.opacity);
    // A kept list is there at once, so the window need not wait for the network;
    // a failed fetch leaves the list as it was, and start-up goes on either way.
    if (plan.selectSource != SourceId::kNone) {
        if (refresh_.ShowStored(plan.selectSource)) {
            RefreshAgeLabel();
            ShowNow();
            // The file's check waits until the window is up (during the fetch, when it lets
            // events run; else the first list kept does it).
            QTimer::singleShot(0, this, [this] {
                if (history_) history_->CheckOnce();
                ShowHistoryProblem();
            });
        }
        refresh_.SelectSource(plan.selectSource);
    }
    if (plan.topMost) SetTopMost(*plan.topMost);
    if (!plan.runTimerSteps) return;
    ApplyDocking(plan.edgeIntervalMs > 0);
    RestartAutoSaveTimer();
    ApplyTaskbarButton(plan.taskbarButton);
}

// On screen and painted before the first fetch starts, whether or not that
// fetch lets events run while it waits.
void MainWindow::ShowNow() {
    show();
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    QCoreApplication::processEvents();
}

void MainWindow::ApplyRefreshPeriod(int ms) {
    SetTimerInterval(refreshTimer_, ms);
}

void MainWindow::ApplyDocking(bool on) {
    SetTimerInterval(edgeTimer_, on ? EDGE_TIMER_MS : 0);
}

void MainWindow::ApplyTaskbarButton(bool shown) {
    taskbarButton_.SetShown(*this, shown);
}

void MainWindow::ApplyLaunchAtStartup(bool on) {
    if (on) {
        RegisterAutorun();
    } else {
        UnregisterAutorun();
    }
}

void MainWindow::ApplyOpacity(int opacity) {
    frame_->SetOpacity(opacity);
    for (CaptionButton* button : sourceButtons_)
        button->SetOpacity(opacity);
    spareListView_->SetOpacity(opacity);
}

void MainWindow::SetTimerInterval(QTimer& timer, int ms) {
    if (ms <= 0) {
        timer.stop();
        timer.setInterval(0);
        return;
    }
    timer.start(ms);
}

void MainWindow::RestartAutoSaveTimer() {
    const int minutesMs = AutoSaveIntervalMs(state_);
    SetTimerInterval(autoSaveTimer_, minutesMs > 0 && autoSavePeriodForTestsMs_ > 0
                                         ? autoSavePeriodForTestsMs_
                                         : minutesMs);
}

void MainWindow::OpenRules() {
    OpenRulesWindow(*this);
}

void MainWindow::RefreshAgeLabel() {
    // Before the first refresh there is no age to tell: a count from the zero
    // time would read as decades.
    const std::string text = StatusLabelText(state_, std::chrono::system_clock::now());
    if (text.empty()) return;
    const QString shown = QStringFromLocal(text);
    if (shown == ageLabel_->Text()) return;
    ageLabel_->SetText(shown);
    if (onAgeText) onAgeText(shown);
}

void MainWindow::RelayoutMainWindow(int w, int h) {
    auto at = [](double v) { return static_cast<int>(std::lround(v)); };
    corner_->move(w - 18, h - 18);
    for (ListView* view : {listView_, spareListView_})
        view->resize(w - 24, h - 118);
    for (ListModel* model : {&list_, &spareList_}) {
        if (model->ColumnCount() > COLUMN_TITLE) model->SetColumnWidth(COLUMN_TITLE, w - 88);
    }
    viewAll_->move(viewAll_->x(), h - 44);
    ageLabel_->move(w - 182, h - 44);
    viewAll_->setVisible(h > 148);
    ageLabel_->setVisible(h > 148);
    closeButton_->move(w - 35, closeButton_->y());
    minimiseButton_->move(w - 63, minimiseButton_->y());
    settingsButton_->move(w - 91, settingsButton_->y());
    const double share = (w - 42) / 4.0;
    const double lefts[SOURCE_COUNT] = {12, share + 18, 2 * share + 24, 3 * share + 30};
    for (int i = 0; i < SOURCE_COUNT; ++i) {
        sourceButtons_[i]->setGeometry(at(lefts[i]), sourceButtons_[i]->y(), at(share),
                                       sourceButtons_[i]->height());
    }
}

void MainWindow::ShowTip(const QString& text) {
    TipOptions options;
    options.text = text;
    options.displayMs = 3000;
    options.position = TipPosition::kBelowPointer;
    options.background = 0xFF2C2C2C;
    options.textColor = 0xFFFFFFFF;
    options.opacity = 255;
    PopUpTipBox(options);
}

void MainWindow::HideToTray() {
    CloseTipBox();
    SetTopMost(false);
    ApplyDocking(false);
    // Without a tray there would be no way back to a hidden window.
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        hide();
    } else {
        showMinimized();
    }
}

void MainWindow::RestoreFromTray() {
    if (!isVisible() || isMinimized()) {
        showNormal();
        ApplyDocking(state_.dockToEdge);
    }
    if (state_.alwaysOnTop) {
        SetTopMost(true);
    } else if (!IsTopMost()) {
        // Up above the others once, without staying top-most.
        raise();
        activateWindow();
    }
}

bool MainWindow::IsTopMost() const {
    return X11WindowStacking().IsStaysOnTop(*this);
}

void MainWindow::SetTopMost(bool on) {
    // A tick away from the edges sets it back; one that was paused must run.
    edgePause_->Resume();
    if (on) {
        raise();
        activateWindow();
    }
    if (IsTopMost() == on) return;
    if (windowHandle()) {
        X11WindowStacking().SetStaysOnTop(*this, on);
        return;
    }
    // Before the native window exists the flag is set the ordinary way, which
    // may reset the position and the taskbar state: keep both.
    const QRect where = geometry();
    const bool shown = isVisible();
    const bool taskbar = taskbarButton_.Shown(*this);
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    setGeometry(where);
    taskbarButton_.SetShown(*this, taskbar);
    if (shown) show();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != corner_) return SkinWindow::eventFilter(watched, event);
    // Dragging the corner mark resizes the window.
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove) return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (type) {
        case QEvent::MouseButtonPress:
            resizeOrigin_ = mouse->globalPosition().toPoint();
            resizeStart_ = size();
            return true;
        case QEvent::MouseMove:
            if (mouse->buttons() & Qt::LeftButton) {
                const QPoint moved = mouse->globalPosition().toPoint() - resizeOrigin_;
                resize(resizeStart_ + QSize(moved.x(), moved.y()));
            }
            return true;
        default:
            return false;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    CloseTipBox();
    event->accept();
    emit Closed();
}

}  // namespace vantrel
