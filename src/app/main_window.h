#pragma once

#include <QFont>
#include <QPoint>
#include <QTimer>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/app_state.h"
#include "app/auto_save.h"
#include "app/list_history.h"
#include "app/refresh_cycle.h"
#include "app/source_buttons.h"
#include "desktop/edge_tick_pause.h"
#include "model/list_model.h"
#include "platform/x11_taskbar_button.h"
#include "settings/settings_target.h"
#include "toolkit/skin_window.h"

class QSystemTrayIcon;

namespace vantrel {

class CaptionButton;
class FrameHost;
class Label;
class LinkLabel;
class ListView;
class PictureBox;
class TitleButton;

// The widget's one main window "Vantrel": title row, four source buttons,
// the trending list, the view-all link and the age label, and its timers.
// Destroying it removes the tray icon and writes the settings file.
class MainWindow : public SkinWindow, public SettingsTarget {
    Q_OBJECT
  public:
    static constexpr int kDesignWidth = 308;
    static constexpr int kDesignHeight = 542;

    // The taskbar button is the desktop's unless a test hands in a fake; rules.json is
    // read from the settings file's folder.
    explicit MainWindow(std::filesystem::path settingsPath = SettingsPath(),
                        TaskbarButton& taskbarButton = X11TaskbarButton());
    ~MainWindow() override;

    // The lists are kept there from then on, and start-up and source switches
    // show a source's last kept list while its fetch waits. Before StartUp.
    void UseHistory(std::unique_ptr<ListHistory> history);
    ListHistory* History() const { return history_.get(); }

    // Runs once after the window has been built and the fetch routines are
    // installed: state, tray icon, position, fonts, columns, settings and the
    // first fetch, timers, taskbar button. A kept list of the chosen source
    // shows the window before the first fetch waits.
    void StartUp();

    void RelayoutMainWindow(int width, int height);
    void HideToTray();
    void RestoreFromTray();
    bool IsTopMost() const;
    // An interval of 0 stops the timer.
    static void SetTimerInterval(QTimer& timer, int ms);

    // What the settings act on. The auto-save timer restarts with a full
    // period until the first file, and stops when auto-save is off or the
    // period is 0.
    SettingsFields& Settings() override { return state_; }
    void ApplyRefreshPeriod(int ms) override;
    void ApplyDocking(bool on) override;
    void ApplyOpacity(int opacity) override;
    void SetTopMost(bool on) override;
    void ApplyTaskbarButton(bool shown) override;
    void ApplyLaunchAtStartup(bool on) override;
    void RestartAutoSaveTimer() override;
    void OpenRules() override;
    QWidget& Window() override { return *this; }
    void ShowTip(const QString& text) override;
    // A period in milliseconds used instead of the minutes while auto-save is
    // on, so that a test need not wait minutes; 0 goes back to the minutes.
    void SetAutoSavePeriodForTests(int ms) { autoSavePeriodForTestsMs_ = ms; }

    AppState& State() { return state_; }
    const std::filesystem::path& RulesFilePath() const { return rulesPath_; }
    const std::filesystem::path& SettingsFilePath() const { return settingsPath_; }
    ListModel& List() { return list_; }
    SourceButtons& Buttons() { return buttons_; }
    RefreshCycle& Refresh() { return refresh_; }
    ListView& ListControl() { return *listView_; }
    LinkLabel& ViewAllLink() { return *viewAll_; }
    QSystemTrayIcon* Tray() const { return tray_; }
    // A row's tooltip: the rules its title matched and its standing in the history.
    QString RowTip(int row);
    const std::array<QFont, 3>& Fonts() const { return fonts_; }

    // Work that other areas of the program hang on the window's timers and
    // controls; each runs only while set.
    std::function<void()> onAutoSaveTick;
    std::function<void()> onEdgeTick;
    std::function<void()> onOpenSettings;
    // A Douyin row was activated and its links are in clickedLinks.
    std::function<void()> onDouyinLinks;
    // The age label's text changed.
    std::function<void(const QString&)> onAgeText;

  signals:
    // The window was closed; the program ends (and destroys the window).
    void Closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void BuildTimers();
    void ConnectControls();
    void InstallTray();
    void PlaceAtTopRight();
    void SetUpList();
    void ApplyStartupSettings();
    // Shows the window and lets events run until it is on screen (at most a second).
    void ShowNow();
    // Reads rules.json (keeping a broken one aside) into the state.
    void LoadRules();
    void ApplyButtonStyles();
    void RefreshAgeLabel();
    // The age label's tooltip says once why the history is off.
    void ShowHistoryProblem();
    // Each source button's tooltip tells which request answered last.
    void ShowSourceHealth();
    CaptionButton* SourceButton(SourceId source) const;

    std::filesystem::path settingsPath_;
    TaskbarButton& taskbarButton_;
    std::filesystem::path rulesPath_;
    AppState state_;
    ListModel list_;
    ListModel spareList_;
    SourceButtons buttons_;
    RefreshCycle refresh_;
    AutoSave autoSave_;
    int autoSavePeriodForTestsMs_ = 0;
    std::array<QFont, 3> fonts_;

    FrameHost* frame_ = nullptr;
    Label* title_ = nullptr;
    TitleButton* settingsButton_ = nullptr;
    TitleButton* minimiseButton_ = nullptr;
    TitleButton* closeButton_ = nullptr;
    std::array<CaptionButton*, SOURCE_COUNT> sourceButtons_{};
    ListView* spareListView_ = nullptr;
    ListView* listView_ = nullptr;
    LinkLabel* viewAll_ = nullptr;
    Label* ageLabel_ = nullptr;
    PictureBox* corner_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    std::unique_ptr<ListHistory> history_;

    QTimer ageTimer_;
    QTimer refreshTimer_;
    QTimer autoSaveTimer_;
    QTimer edgeTimer_;
    // Declared after the timer and the window's controls: goes first.
    std::unique_ptr<EdgeTickPause> edgePause_;

    QPoint resizeOrigin_;
    QSize resizeStart_;
};

}  // namespace vantrel
