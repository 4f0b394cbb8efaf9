#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/today_table.h"
#include "history/history_store.h"
#include "model/list_model.h"
#include "model/source_id.h"
#include "toolkit/skin_window.h"

namespace vantrel {

class CaptionButton;
class EditBox;
class Label;
class LineChart;
class ListView;
class MainWindow;

// The history window "历史": the chosen topic's rank over the last 24 hours
// on every source where its title appeared, and the "今日" table of every
// topic seen today on one source, sortable by its column titles, with "导出"
// to an .xls file. The retention in days and "清除历史" sit below the table.
// It reads the history file through a store of its own.
class HistoryWindow : public SkinWindow {
    Q_OBJECT
  public:
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 560;

    HistoryWindow(MainWindow& main, SourceId source,
                  std::filesystem::path storePath = DefaultHistoryPath());
    ~HistoryWindow() override;

    // The topic the chart shows (UTF-8; empty: none).
    void ShowTopic(const std::string& title);
    const std::string& Topic() const { return topic_; }
    SourceId Source() const { return source_; }
    // Reads the chart and the table again.
    void Reload();
    // The moment the window counts back from; the clock unless a test sets it.
    std::function<HistoryTime()> clock = [] { return std::chrono::system_clock::now(); };

    // The table's topics in the order shown.
    const std::vector<TopicStats>& TodayTopics() const { return today_; }
    const ListModel& TodayRows() const { return rows_; }
    TodayOrder Order() const { return order_; }
    bool Closing() const { return closing_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildTable();
    void BuildFooter();
    void ReloadChart();
    void ReloadTable();
    void FillTable();
    void SetStatus(const QString& text);

    void OnHeaderClicked(int column);
    void OnRetentionEdited();
    void OnClear();
    void OnExport();

    MainWindow& main_;
    SourceId source_;
    std::unique_ptr<HistoryStore> store_;
    std::filesystem::path retentionPath_;
    std::string topic_;
    std::vector<TopicStats> today_;
    TodayOrder order_;
    int retentionDays_ = DEFAULT_HISTORY_DAYS;
    bool closing_ = false;

    ListModel rows_;
    Label* topicLabel_ = nullptr;
    LineChart* chart_ = nullptr;
    Label* tableTitle_ = nullptr;
    ListView* table_ = nullptr;
    EditBox* daysBox_ = nullptr;
    CaptionButton* clearButton_ = nullptr;
    CaptionButton* exportButton_ = nullptr;
    Label* status_ = nullptr;
};

// Raises the open history window on this topic and source, or makes one.
// `title` is a list row's title (UTF-8); empty leaves the chart waiting for a
// row of the table.
HistoryWindow& OpenHistoryWindow(MainWindow& main, SourceId source, const std::string& title);

}  // namespace vantrel
