#include "history/history_store.h"

#include <sys/stat.h>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "history/broken_file.h"
#include "history/history_schema.h"
#include "history/hot_values.h"
#include "history/store_internal.h"
#include "settings/settings_file.h"

namespace vantrel {
namespace fs = std::filesystem;

namespace {

constexpr int kBusyTimeoutMs = 5000;

const std::string kOff = "历史记录已停用：";

bool IsDamage(int code) {
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

}  // namespace

fs::path DefaultHistoryPath() {
    return DataHome() / "vantrel" / "history.sqlite3";
}

HistoryStore::HistoryStore(fs::path path, bool checkFile) : path_(std::move(path)) {
    Open(checkFile);
}

HistoryStore::~HistoryStore() = default;

void HistoryStore::Open(bool checkFile) {
    const auto giveUp =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    for (int damaged = 0;;) {
        switch (OpenOnce(checkFile)) {
            case Opening::kReady:
            case Opening::kOff:
                return;
            case Opening::kBusy:
                if (std::chrono::steady_clock::now() > giveUp)
                    return TurnOff(kOff + path_.string() + " 被占用");
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                break;
            case Opening::kDamaged:
                // A new file found damaged at once is beyond what another would mend.
                if (++damaged == 2) {
                    MoveAside();
                    return TurnOff(kOff + path_.string() + " 已损坏");
                }
                if (!MoveAside()) return;
                break;
        }
    }
}

HistoryStore::Opening HistoryStore::OpenOnce(bool checkFile) {
    try {
        std::error_code ec;
        fs::create_directories(path_.parent_path(), ec);
        db_ = std::make_unique<SqliteDb>(path_);
        struct stat info {};
        if (::stat(path_.c_str(), &info) == 0) {
            device_ = info.st_dev;
            inode_ = info.st_ino;
        }
        db_->SetBusyTimeout(kBusyTimeoutMs);
        // Everything that would send the file aside or leave it alone is
        // checked before anything is written to it.
        if (checkFile && db_->Text("PRAGMA quick_check(1)") != "ok") return Opening::kDamaged;
        // One snapshot: another instance may be making the tables right now.
        db_->Exec("BEGIN");
        SchemaState state = InspectHistorySchema(*db_);
        db_->Exec("COMMIT");
        if (state == SchemaState::kReady) {
            db_->Exec("PRAGMA journal_mode = WAL");
            // In WAL mode a commit survives the process being killed; only a
            // power cut can take the latest ones, never the file's soundness.
            db_->Exec("PRAGMA synchronous = NORMAL");
            // The log is reused after each checkpoint; one that a big write
            // (ClearAll's VACUUM) made large is cut back then.
            db_->Exec("PRAGMA journal_size_limit = 4194304");
            state = MigrateHistorySchema(*db_);
        }
        switch (state) {
            case SchemaState::kReady:
                return Opening::kReady;
            case SchemaState::kNewer:
                TurnOff(kOff + path_.string() + " 来自较新的版本");
                return Opening::kOff;
            case SchemaState::kForeign:
                return Opening::kDamaged;
        }
    } catch (const SqliteError& error) {
        if (IsDamage(error.Code())) return Opening::kDamaged;
        // Switching to WAL while another instance reads fails at once,
        // without the busy handler's wait.
        if (error.Code() == SQLITE_BUSY || error.Code() == SQLITE_LOCKED) {
            Close(false);
            return Opening::kBusy;
        }
        TurnOffFor(error.Code());
    } catch (const std::exception&) {
    }
    if (db_) TurnOff(kOff + "无法打开 " + path_.string());
    return Opening::kOff;
}

void HistoryStore::Close(bool damaged) {
    if (db_ && damaged) db_->KeepLogOnClose();
    db_.reset();
}

void HistoryStore::TurnOff(const std::string& problem) {
    Close(false);
    problem_ = problem;
}

void HistoryStore::TurnOffFor(int code) {
    switch (code) {
        case SQLITE_FULL:
            return TurnOff(kOff + "磁盘已满");
        case SQLITE_READONLY:
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return TurnOff(kOff + "无法写入 " + path_.string());
        case SQLITE_IOERR:
            return TurnOff(kOff + "读写 " + path_.string() + " 出错");
        default:
            return;  // busy past the time-out, out of memory: this call only
    }
}

bool HistoryStore::MoveAside() {
    Close(true);
    struct stat info {};
    // Another instance may have put a new file in place meanwhile.
    const bool same =
        ::stat(path_.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_;
    if (same) {
        const std::optional<fs::path> aside =
            MoveBrokenAside(path_, std::chrono::system_clock::now());
        if (!aside) {
            TurnOff(kOff + path_.string() + " 已损坏且无法移开");
            return false;
        }
        movedAside_.push_back(*aside);
    }
    return true;
}

void HistoryStore::HandleDamage() {
    if (MoveAside()) Open(false);
}

HistoryStore::Stored HistoryStore::Store(const HistoryList& list) {
    Stored failed{false, std::vector<RankChange>(list.rows.size())};
    if (list.rows.empty()) return failed;
    return Guarded(
        failed,
        [&] {
            WriteTransaction transaction(*db_);
            Stored stored{true, StoreInTransaction(list)};
            transaction.Commit();
            return stored;
        },
        true);
}

bool HistoryStore::StoreAll(const std::vector<HistoryList>& lists) {
    return Guarded(
        false,
        [&] {
            WriteTransaction transaction(*db_);
            for (const HistoryList& list : lists) {
                if (!list.rows.empty()) StoreInTransaction(list);
            }
            transaction.Commit();
            return true;
        },
        true);
}

SourceRow HistoryStore::EnsureSource(std::string_view name) {
    db_->Cached("INSERT INTO source(name) VALUES (?1) ON CONFLICT(name) DO NOTHING")
        .Bind(name)
        .Run();
    return *FindSource(name);
}

std::vector<RankChange> HistoryStore::StoreInTransaction(const HistoryList& list) {
    const SourceRow source = EnsureSource(list.source);
    std::vector<OnBoard> onBoard;
    std::optional<HistoryList> previous;
    if (source.lastOrd) previous = ReadLatest(list.source, source, &onBoard);
    std::vector<RankChange> changes = CompareLists(previous ? &*previous : nullptr, list.rows);

    const std::int64_t ord = source.lastOrd + 1;
    const std::int64_t at = ToMillis(list.fetchedAt);
    db_->Cached("INSERT INTO fetch(ord, source, at, request) VALUES (?1, ?2, ?3, ?4)")
        .Bind(ord, source.id, at, list.request)
        .Run();

    std::unordered_map<std::string_view, const OnBoard*> held;
    for (const OnBoard& span : onBoard)
        held.emplace(span.row.title, &span);
    std::unordered_set<std::string_view> listed;
    std::string latestHot;
    for (const HistoryRow& row : list.rows) {
        if (!listed.insert(row.title).second) continue;
        const auto found = held.find(row.title);
        const OnBoard* before = found == held.end() ? nullptr : found->second;
        if (before) held.erase(found);
        std::int64_t topic = before ? before->topic : 0;
        if (!before) {
            Rows rows = db_->Cached(
                               "INSERT INTO topic(source, title, link, last_ord)"
                               " VALUES (?1, ?2, ?3, ?4) ON CONFLICT(title, source)"
                               " DO UPDATE SET link = excluded.link RETURNING id")
                            .Bind(source.id, row.title, row.link, ord);
            rows.Step();
            topic = rows.Int(0);
        } else if (before->row.link != row.link) {
            db_->Cached("UPDATE topic SET link = ?2 WHERE id = ?1").Bind(topic, row.link).Run();
        }
        AppendHotValue(latestHot, topic, row.hot);
        // Same rank and tag: the open stretch goes on without a write.
        if (before && before->row.rank == row.rank && before->row.tag == row.tag) continue;
        if (before) CloseStretch(*before, source.lastOrd);
        db_->Cached(
               "INSERT INTO span(topic, first, last, at, rank, tag, hot, source)"
               " VALUES (?1, ?2, NULL, ?3, ?4, ?5, ?6, ?7)")
            .Bind(topic, ord, at, row.rank, row.tag, row.hot, source.id)
            .Run();
    }
    for (const auto& [title, gone] : held)
        CloseStretch(*gone, source.lastOrd);
    db_->Cached("UPDATE source SET last_ord = ?2, latest_hot = ?3 WHERE id = ?1")
        .Bind(source.id, ord, latestHot)
        .Run();
    return changes;
}

void HistoryStore::CloseStretch(const OnBoard& span, std::int64_t lastOrd) {
    db_->Cached("UPDATE span SET last = ?3, hot = ?4 WHERE topic = ?1 AND first = ?2")
        .Bind(span.topic, span.first, lastOrd, span.row.hot)
        .Run();
    db_->Cached("UPDATE topic SET last_ord = ?2 WHERE id = ?1").Bind(span.topic, lastOrd).Run();
}

bool HistoryStore::Prune(int days, HistoryTime now) {
    const HistoryTime cutoff = now - std::chrono::hours(24) * days;
    return Guarded(false, [&] {
        WriteTransaction transaction(*db_);
        std::vector<std::string> names;
        {
            Rows rows = db_->Cached("SELECT name FROM source").Bind();
            while (rows.Step())
                names.push_back(rows.Text(0));
        }
        for (const std::string& name : names)
            PruneSource(*FindSource(name), cutoff);
        transaction.Commit();
        return true;
    });
}

void HistoryStore::PruneSource(const SourceRow& source, HistoryTime cutoff) {
    // The first list kept; stretches reaching back past it now start there.
    std::int64_t kept = 0;
    {
        Rows rows = db_->Cached(
                           "SELECT ord FROM fetch WHERE source = ?1 AND at >= ?2"
                           " ORDER BY at, source, ord LIMIT 1")
                        .Bind(source.id, ToMillis(cutoff));
        if (rows.Step()) kept = rows.Int(0);
    }
    if (!kept) {
        // Nothing of this source is recent enough.
        db_->Cached("DELETE FROM span WHERE topic IN (SELECT id FROM topic WHERE source = ?1)")
            .Bind(source.id)
            .Run();
        db_->Cached("DELETE FROM topic WHERE source = ?1").Bind(source.id).Run();
        db_->Cached("DELETE FROM fetch WHERE source = ?1").Bind(source.id).Run();
        db_->Cached("UPDATE source SET last_ord = 0, latest_hot = '' WHERE id = ?1")
            .Bind(source.id)
            .Run();
        return;
    }
    // Topics off the board since before `kept` go whole; the others lose
    // their stretches that ended before it.
    db_->Cached(
           "DELETE FROM span WHERE topic IN (SELECT id FROM topic WHERE source = ?1"
           " AND last_ord < ?2 AND id NOT IN"
           " (SELECT topic FROM span WHERE source = ?1 AND last IS NULL))")
        .Bind(source.id, kept)
        .Run();
    db_->Cached(
           "DELETE FROM topic WHERE source = ?1 AND last_ord < ?2 AND id NOT IN"
           " (SELECT topic FROM span WHERE source = ?1 AND last IS NULL)")
        .Bind(source.id, kept)
        .Run();
    db_->Cached(
           "DELETE FROM span WHERE topic IN (SELECT id FROM topic WHERE source = ?1)"
           " AND last < ?2")
        .Bind(source.id, kept)
        .Run();
    db_->Cached(
           "UPDATE span SET first = ?2,"
           " at = (SELECT at FROM fetch WHERE ord = ?2 AND source = ?1)"
           " WHERE topic IN (SELECT id FROM topic WHERE source = ?1) AND first < ?2")
        .Bind(source.id, kept)
        .Run();
    db_->Cached("DELETE FROM fetch WHERE ord < ?2 AND source = ?1").Bind(source.id, kept).Run();
}

bool HistoryStore::ClearAll() {
    return Guarded(false, [&] {
        {
            WriteTransaction transaction(*db_);
            db_->Exec(
                "DELETE FROM span; DELETE FROM topic; DELETE FROM fetch; DELETE FROM source;");
            transaction.Commit();
        }
        db_->Exec("VACUUM");
        db_->Exec("PRAGMA wal_checkpoint(TRUNCATE)");
        return true;
    });
}

bool HistoryStore::CheckFile() {
    return Guarded(false, [&] {
        if (db_->Text("PRAGMA quick_check(1)") == "ok") return true;
        HandleDamage();
        return false;
    });
}

}  // namespace vantrel
