#include "app/history_window.h"

#include <QCloseEvent>
#include <QDir>
#include <QIntValidator>

#include <array>

#include "app/main_window.h"
#include "export/xls_writer.h"
#include "history/retention_file.h"
#include "net/code_page.h"
#include "platform/atomic_file.h"
#include "toolkit/caption_button.h"
#include "toolkit/core_bridge.h"
#include "toolkit/edit_box.h"
#include "toolkit/folder_chooser.h"
#include "toolkit/label.h"
#include "toolkit/line_chart.h"
#include "toolkit/list_view.h"
#include "toolkit/message_box.h"
#include "toolkit/skin.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct SourceLook {
    const char* name;
    std::uint32_t color;
};
// By source number - 1, as SOURCE_NAMES.
constexpr std::array<SourceLook, SOURCE_COUNT> kSourceLooks = {
    {{"微博", 0xFFFF8E17}, {"百度", 0xFF3399FF}, {"头条", 0xFFE5484D}, {"抖音", 0xFF35C3F3}}};
constexpr int kColumnWidths[TODAY_COLUMN_COUNT] = {300, 110, 72, 78};
constexpr const char* kColumnTitles[TODAY_COLUMN_COUNT] = {"话题", "首次出现", "最高排名",
                                                           "在榜分钟"};

void Name(QWidget* widget, const char* objectName) {
    widget->setObjectName(QString::fromUtf8(objectName));
}

// A bold line across the window above a part of it.
Label* HeadingLabel(QWidget* window, const char* name, int y, std::uint32_t color) {
    auto* label = new Label(QString(), window);
    Name(label, name);
    label->setGeometry(20, y, HistoryWindow::kWidth - 40, 20);
    label->setFont(SkinFont(13, true));
    label->SetTextColor(color);
    return label;
}

int SourceIndex(std::string_view name) {
    for (int i = 0; i < SOURCE_COUNT; ++i) {
        if (SOURCE_NAMES[i] == name) return i;
    }
    return -1;
}

qint64 Millis(HistoryTime at) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
}

// Each run holds its rank from one step to the next: a stair of level
// stretches, the last until the run's end. Runs stay apart, so the time
// off the board is a gap.
std::vector<ChartLine> ChartLines(const std::vector<SourceSeries>& series) {
    std::vector<ChartLine> lines;
    for (const SourceSeries& each : series) {
        const int index = SourceIndex(each.source);
        ChartLine line;
        line.name = index >= 0 ? QString::fromUtf8(kSourceLooks[index].name)
                               : QString::fromStdString(each.source);
        line.color = ColorFromArgb(index >= 0 ? kSourceLooks[index].color : skin::kText);
        for (const RankRun& run : each.runs) {
            QPolygonF piece;
            for (std::size_t i = 0; i < run.steps.size(); ++i) {
                const RankPoint& step = run.steps[i];
                const HistoryTime until = i + 1 < run.steps.size() ? run.steps[i + 1].at : run.end;
                piece << QPointF(Millis(step.at), step.rank);
                if (until > step.at) piece << QPointF(Millis(until), step.rank);
            }
            if (!piece.isEmpty()) line.pieces.push_back(piece);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

QString SourceCaption(SourceId source) {
    const int n = static_cast<int>(source);
    return IsSourceNumber(n) ? QString::fromUtf8(kSourceLooks[n - 1].name) : QString();
}

}  // namespace

HistoryWindow::HistoryWindow(MainWindow& main, SourceId source, fs::path storePath)
    : SkinWindow(&main),
      main_(main),
      source_(source),
      // Reading every page for damage is start-up's work, not each opening's.
      store_(std::make_unique<HistoryStore>(std::move(storePath), false)),
      retentionPath_(RetentionPath(main.SettingsFilePath())) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QStringLiteral("历史"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kWidth, kHeight);
    for (int c = 0; c < TODAY_COLUMN_COUNT; ++c)
        rows_.InsertColumn(Utf8ToLocal(kColumnTitles[c]), kColumnWidths[c]);
    BuildControls();
    BuildTable();
    BuildFooter();
    const RetentionLoad retention = LoadRetention(retentionPath_);
    retentionDays_ = retention.days;
    daysBox_->setText(QString::number(retentionDays_));
    Reload();
    if (!store_->Available()) {
        SetStatus(QStringLiteral("历史记录不可用：") + QString::fromStdString(store_->Problem()));
    } else if (!retention.problem.empty()) {
        SetStatus(QString::fromStdString(retention.problem));
    }
}

HistoryWindow::~HistoryWindow() {
    // The table listens to the model held as a member here: it goes first.
    delete table_;
}

void HistoryWindow::BuildControls() {
    AddTitleRow(*this, QStringLiteral("历史"), "标签_历史标题");
    topicLabel_ = HeadingLabel(this, "标签_话题", 54, skin::kAccent);
    chart_ = new LineChart(this);
    Name(chart_, "折线图_排名");
    chart_->setGeometry(20, 80, kWidth - 40, 210);
}

void HistoryWindow::BuildTable() {
    tableTitle_ = HeadingLabel(this, "标签_今日", 300, skin::kText);
    table_ = new ListView(this);
    Name(table_, "列表_今日");
    table_->setGeometry(20, 324, kWidth - 40, 178);
    table_->SetModel(&rows_);
    connect(table_, &ListView::HeaderClicked, this, &HistoryWindow::OnHeaderClicked);
    connect(table_, &ListView::RowActivated, this, [this](int row) {
        if (row >= 0 && row < static_cast<int>(today_.size())) ShowTopic(today_[row].title);
    });
}

void HistoryWindow::BuildFooter() {
    auto* keep = new Label(QStringLiteral("保留"), this);
    keep->SetTextColor(skin::kText);
    keep->setGeometry(20, 514, 30, 28);
    daysBox_ = new EditBox(QString(), this);
    Name(daysBox_, "编辑框_保留天数");
    daysBox_->setGeometry(52, 514, 52, 28);
    daysBox_->setValidator(new QIntValidator(0, MAX_HISTORY_DAYS, daysBox_));
    daysBox_->setAlignment(Qt::AlignCenter);
    connect(daysBox_, &QLineEdit::editingFinished, this, &HistoryWindow::OnRetentionEdited);
    auto* days = new Label(QStringLiteral("天"), this);
    days->SetTextColor(skin::kText);
    days->setGeometry(110, 514, 20, 28);

    status_ = new Label(QString(), this);
    Name(status_, "标签_历史状态");
    status_->setGeometry(138, 514, kWidth - 138 - 212, 28);
    status_->SetTextColor(skin::kMutedText);

    clearButton_ = new CaptionButton(QStringLiteral("清除历史"), this);
    Name(clearButton_, "按钮_清除历史");
    clearButton_->setGeometry(kWidth - 200, 514, 90, 30);
    clearButton_->SetCaptionColor(skin::kDanger);
    connect(clearButton_, &QAbstractButton::clicked, this, &HistoryWindow::OnClear);
    exportButton_ = new CaptionButton(QStringLiteral("导出"), this);
    Name(exportButton_, "按钮_导出");
    exportButton_->setGeometry(kWidth - 100, 514, 80, 30);
    exportButton_->SetCaptionColor(skin::kText);
    exportButton_->SetSelected(true);
    connect(exportButton_, &QAbstractButton::clicked, this, &HistoryWindow::OnExport);
}

void HistoryWindow::ShowTopic(const std::string& title) {
    topic_ = title;
    ReloadChart();
}

void HistoryWindow::Reload() {
    ReloadChart();
    ReloadTable();
}

void HistoryWindow::ReloadChart() {
    const HistoryTime now = clock();
    chart_->SetTimeRange(Millis(now - 24h), Millis(now));
    topicLabel_->SetText(topic_.empty()
                             ? QStringLiteral("点选今日表中的话题，查看它 24 小时内的排名")
                             : QString::fromStdString(topic_));
    topicLabel_->setToolTip(QString::fromStdString(topic_));
    if (topic_.empty()) {
        chart_->SetLines({});
        chart_->SetEmptyText(QString());
        return;
    }
    chart_->SetLines(ChartLines(store_->Series(topic_, now - 24h, now)));
    chart_->SetEmptyText(QStringLiteral("过去 24 小时没有这个话题的记录"));
}

void HistoryWindow::ReloadTable() {
    today_ = store_->Today(SOURCE_NAMES[static_cast<int>(source_) - 1], clock());
    SortTopics(today_, order_);
    tableTitle_->SetText(
        QStringLiteral("今日 · %1 · %2 个话题").arg(SourceCaption(source_)).arg(today_.size()));
    FillTable();
}

void HistoryWindow::FillTable() {
    for (int c = 0; c < TODAY_COLUMN_COUNT; ++c) {
        QString title = QString::fromUtf8(kColumnTitles[c]);
        if (static_cast<int>(order_.column) == c)
            title += order_.descending ? QStringLiteral(" ▼") : QStringLiteral(" ▲");
        rows_.SetColumnTitle(c, LocalFromQString(title));
    }
    rows_.DeleteItem(-1);
    for (const TopicStats& topic : today_) {
        const int row = rows_.InsertItem(-1, 28);
        const std::vector<std::string> cells = TodayCells(topic, clock());
        for (int c = 0; c < TODAY_COLUMN_COUNT; ++c) {
            rows_.SetItemTitle(row, c, Utf8ToLocal(cells[c]));
            rows_.SetItemFontColor(row, c, c == 0 ? COLOR_TITLE : skin::kMutedText);
        }
    }
}

void HistoryWindow::SetStatus(const QString& text) {
    status_->SetText(status_->fontMetrics().elidedText(text, Qt::ElideMiddle, status_->width()));
    status_->setToolTip(text);
}

void HistoryWindow::OnHeaderClicked(int column) {
    if (column < 0 || column >= TODAY_COLUMN_COUNT) return;
    order_ = NextOrder(order_, static_cast<TodayColumn>(column));
    SortTopics(today_, order_);
    FillTable();
}

void HistoryWindow::OnRetentionEdited() {
    // Focus leaving an untouched box is no choice of the user's.
    if (!daysBox_->isModified()) return;
    daysBox_->setModified(false);
    bool number = false;
    const int days = daysBox_->text().toInt(&number);
    if (!number || days < MIN_HISTORY_DAYS || days > MAX_HISTORY_DAYS) {
        daysBox_->setText(QString::number(retentionDays_));
        SetStatus(QStringLiteral("保留天数应为 %1–%2").arg(MIN_HISTORY_DAYS).arg(MAX_HISTORY_DAYS));
        return;
    }
    if (!SaveRetention(days, retentionPath_)) {
        SetStatus(QStringLiteral("无法写入 ") + QString::fromStdString(retentionPath_.string()));
        return;
    }
    retentionDays_ = days;
    // Takes effect at once, as every setting does.
    store_->Prune(days, clock());
    Reload();
    SetStatus(QStringLiteral("历史保留 %1 天").arg(days));
}

void HistoryWindow::OnClear() {
    if (!AskMessageBox(QStringLiteral("清除全部历史记录？此操作无法撤销。"))) return;
    const bool cleared = store_->ClearAll();
    Reload();
    SetStatus(cleared ? QStringLiteral("历史已清除") : QStringLiteral("历史未能清除"));
}

void HistoryWindow::OnExport() {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(clock());
    std::tm local{};
    ::localtime_r(&seconds, &local);
    // The auto-save folder when one was chosen, else the home folder.
    QString folder = QString::fromStdString(ToUtf8(main_.State().saveDirectory));
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    const QString suggested =
        QDir(folder).filePath(QString::fromStdString(TodaySheetName(source_, local)));
    QString chosen = ChooseSaveFile(this, QStringLiteral("导出今日话题"), suggested,
                                    QStringLiteral("Excel 表格 (*.xls)"));
    if (chosen.isEmpty()) return;
    if (!chosen.endsWith(QStringLiteral(".xls"), Qt::CaseInsensitive))
        chosen += QStringLiteral(".xls");
    const std::optional<std::string> file = BuildXlsFile(TodaySheetRows(today_, clock()));
    const bool written = file && ReplaceFile(fs::path(chosen.toStdString()), *file, 0644);
    SetStatus(written ? QStringLiteral("已导出 ") + chosen : QStringLiteral("导出失败：") + chosen);
}

void HistoryWindow::closeEvent(QCloseEvent* event) {
    closing_ = true;
    event->accept();
}

HistoryWindow& OpenHistoryWindow(MainWindow& main, SourceId source, const std::string& title) {
    HistoryWindow* window = OpenChildWindow<HistoryWindow>(main);
    if (window && window->Source() != source) {
        // Another source's table: the window starts again on this one.
        window->close();
        window = nullptr;
    }
    if (window) {
        if (!title.empty()) window->ShowTopic(title);
        window->Reload();
        window->raise();
        window->activateWindow();
        return *window;
    }
    window = new HistoryWindow(main, source);
    if (!title.empty()) window->ShowTopic(title);
    ShowInScreenCentre(*window, main);
    return *window;
}

}  // namespace vantrel
