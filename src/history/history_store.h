#pragma once

#include <sys/types.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_types.h"
#include "history/rank_change.h"

namespace vantrel {

class SqliteDb;
struct OnBoard;
struct SourceRow;
struct Stay;
struct StoredFetch;

// $XDG_DATA_HOME/vantrel/history.sqlite3, else ~/.local/share/vantrel/history.sqlite3;
// the environment is read at every call.
std::filesystem::path DefaultHistoryPath();

inline constexpr int DEFAULT_HISTORY_DAYS = 30;

// Every filled list the program fetched, in one SQLite file shared by all
// running instances (a second one waits up to 5 s for the first's write).
// No call throws. A file that is not a database or is damaged is moved aside
// (MovedAside()) and a new one made; a folder that cannot be written, a full
// disk or a file from a later version turns the store off for the rest of
// the run: reads then find nothing, writes do nothing, and Problem() says why.
// One instance per thread.
class HistoryStore {
  public:
    // `checkFile`: read every page once at opening, so a damaged file is
    // moved aside before anything is written to it.
    explicit HistoryStore(std::filesystem::path path = DefaultHistoryPath(), bool checkFile = true);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    bool Available() const { return db_ != nullptr; }
    // One line (UTF-8) for the age label's tooltip; empty while available.
    const std::string& Problem() const { return problem_; }
    const std::filesystem::path& Path() const { return path_; }
    // The names damaged files were moved to during this run.
    const std::vector<std::filesystem::path>& MovedAside() const { return movedAside_; }

    struct Stored {
        bool stored = false;
        // Each row against the source's previous stored list (see CompareLists).
        std::vector<RankChange> changes;
    };
    // Stores one filled list in one transaction; a list without rows is not
    // stored. A title listed twice is stored at its first row.
    Stored Store(const HistoryList& list);
    // Several lists in one transaction, in order.
    bool StoreAll(const std::vector<HistoryList>& lists);

    // The source's latest stored list: what the next list is compared with.
    std::optional<HistoryList> LatestList(std::string_view source);
    // The latest list of every source that has one, for showing at start-up.
    std::vector<HistoryList> LatestLists();

    // The title on `source`; minutes counted in the local day of `now`.
    std::optional<TopicStats> Stats(std::string_view source, std::string_view title,
                                    HistoryTime now);
    // Every topic on `source` during the local day of `now`, by first seen.
    std::vector<TopicStats> Today(std::string_view source, HistoryTime now);
    // The title's rank on every source where it appeared in [from, to].
    std::vector<SourceSeries> Series(std::string_view title, HistoryTime from, HistoryTime to);
    // One line per topic of `source` over the lists stored in [from, to], by first seen.
    std::vector<TopicSummary> Summaries(std::string_view source, HistoryTime from, HistoryTime to);

    // Deletes the lists fetched more than `days` days before `now`.
    bool Prune(int days, HistoryTime now);
    // Deletes every list and gives the space back.
    bool ClearAll();
    // Reads every page; a damaged file is moved aside and a new one made.
    // Returns whether the file was sound.
    bool CheckFile();

  private:
    enum class Opening { kReady, kOff, kDamaged, kBusy };
    void Open(bool checkFile);
    Opening OpenOnce(bool checkFile);
    void Close(bool damaged);
    void TurnOff(const std::string& problem);
    void TurnOffFor(int sqliteCode);
    bool MoveAside();
    void HandleDamage();
    template <typename Result, typename Action>
    Result Guarded(Result fallback, Action action, bool retryAfterDamage = false);

    std::optional<SourceRow> FindSource(std::string_view name);
    SourceRow EnsureSource(std::string_view name);
    std::optional<StoredFetch> FetchAt(std::int64_t source, std::int64_t ord);
    std::int64_t FetchTime(std::int64_t source, std::int64_t ord);
    std::optional<std::pair<std::int64_t, std::int64_t>> OrdRange(std::int64_t source,
                                                                  HistoryTime from, HistoryTime to);
    HistoryList ReadLatest(std::string_view name, const SourceRow& source,
                           std::vector<OnBoard>* onBoard = nullptr);
    std::vector<RankChange> StoreInTransaction(const HistoryList& list);
    void CloseStretch(const OnBoard& span, std::int64_t lastOrd);
    std::vector<Stay> Stays(const SourceRow& source, std::int64_t topic, std::int64_t from,
                            std::int64_t to);
    TopicStats StatsOf(const SourceRow& source, std::int64_t topic, std::string title,
                       HistoryTime now);
    void PruneSource(const SourceRow& source, HistoryTime cutoff);

    std::filesystem::path path_;
    std::unique_ptr<SqliteDb> db_;
    std::string problem_;
    std::vector<std::filesystem::path> movedAside_;
    dev_t device_ = 0;  // the opened file, so a file another instance put
    ino_t inode_ = 0;   // in its place is never moved aside for it
};

}  // namespace vantrel
