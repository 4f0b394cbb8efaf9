#include "app/history_actions.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include <cstdio>

#include "app/history_window.h"
#include "app/list_history.h"
#include "app/main_window.h"
#include "history/history_store.h"
#include "history/retention_file.h"
#include "net/code_page.h"
#include "toolkit/list_view.h"
#include "toolkit/skin_menu.h"
#include "toolkit/tip_box.h"
#include "toolkit/title_button.h"

namespace vantrel {
namespace {

constexpr int kDayMs = 24 * 3600 * 1000;

// Whose rows the list holds; before the first list, the chosen source.
SourceId ListSource(MainWindow& window) {
    const AppState& state = window.State();
    return state.listSource != SourceId::kNone ? state.listSource : state.currentSource;
}

std::string RowTitle(MainWindow& window, int row) {
    const ListModel& list = window.List();
    if (row < 0 || row >= list.ItemCount()) return {};
    return ToUtf8(list.ItemTitle(row, COLUMN_TITLE));
}

void OpenForRow(MainWindow& window, int row) {
    const SourceId source = ListSource(window);
    if (source == SourceId::kNone) return;
    OpenHistoryWindow(window, source, RowTitle(window, row));
}

void ShowRowMenu(MainWindow& window, ListView& list, QPoint at) {
    const int row = list.RowAt(at);
    if (row < 0) return;
    auto* menu = new QMenu(&window);
    menu->setObjectName(QStringLiteral("菜单_热点"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    ApplyMenuSkin(*menu);
    QAction* history = menu->addAction(QStringLiteral("历史"));
    history->setShortcut(Qt::Key_H);
    QObject::connect(history, &QAction::triggered, &window,
                     [&window, row] { OpenForRow(window, row); });
    menu->popup(list.mapToGlobal(at));
}

// H on the list opens the history of the row under the pointer, the list's
// own selection.
class HistoryKey : public QObject {
  public:
    HistoryKey(MainWindow& window, ListView& list) : QObject(&list), window_(window), list_(list) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_H || (key->modifiers() & ~Qt::KeypadModifier)) return false;
        const int row = list_.HoveredRow();
        if (row < 0) return false;
        OpenForRow(window_, row);
        return true;
    }

  private:
    MainWindow& window_;
    ListView& list_;
};

void AddTitleButton(MainWindow& window) {
    auto* button = new TitleButton(TitleButton::Glyph::kHistory, &window);
    button->setObjectName(QStringLiteral("按钮EX_历史"));
    // Left of the settings button, which sits 91 from the right edge.
    const auto place = [button](int width, int) { button->setGeometry(width - 119, 20, 16, 16); };
    place(window.width(), window.height());
    QObject::connect(&window, &SkinWindow::Resized, button, place);
    QObject::connect(button, &HoverButton::PointerEntered, &window,
                     [&window] { window.ShowTip(QStringLiteral("历史")); });
    QObject::connect(button, &HoverButton::PointerLeft, &window, [] { CloseTipBox(); });
    QObject::connect(button, &QAbstractButton::clicked, &window, [&window] {
        CloseTipBox();
        // The list's top topic, to start the chart with.
        OpenForRow(window, 0);
    });
}

}  // namespace

int PruneHistory(MainWindow& window) {
    const RetentionLoad retention = LoadRetention(RetentionPath(window.SettingsFilePath()));
    if (!retention.problem.empty()) std::fprintf(stderr, "%s\n", retention.problem.c_str());
    const auto now = std::chrono::system_clock::now();
    if (ListHistory* history = window.History()) {
        history->Store().Prune(retention.days, now);
    } else {
        // No full read of the file for damage: that is start-up's work.
        HistoryStore store(DefaultHistoryPath(), false);
        store.Prune(retention.days, now);
    }
    return retention.days;
}

void InstallHistoryActions(MainWindow& window) {
    ListView& list = window.ListControl();
    list.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&list, &QWidget::customContextMenuRequested, &window,
                     [&window, &list](QPoint at) { ShowRowMenu(window, list, at); });
    list.installEventFilter(new HistoryKey(window, list));
    AddTitleButton(window);

    // Once the window is up: a day's prune of a month's file takes a good
    // part of a second, which the stored list should not wait for.
    QTimer::singleShot(0, &window, [&window] { PruneHistory(window); });
    auto* daily = new QTimer(&window);
    daily->setObjectName(QStringLiteral("时钟_清理历史"));
    QObject::connect(daily, &QTimer::timeout, &window, [&window] { PruneHistory(window); });
    daily->start(kDayMs);
}

}  // namespace vantrel
