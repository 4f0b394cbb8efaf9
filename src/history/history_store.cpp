#include "history/history_store.h"

#include <sys/stat.h>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "history/broken_file.h"
#include "history/history_schema.h"
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
    enum class Opened { kReady, kOff, kDamaged, kBusy };
    const auto openOnce = [&]() -> Opened {
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
            if (checkFile && db_->Text("PRAGMA quick_check(1)") != "ok") return Opened::kDamaged;
            // One snapshot: another instance may be making the tables right now.
            db_->Exec("BEGIN");
            SchemaState state = InspectHistorySchema(*db_);
            db_->Exec("COMMIT");
            if (state == SchemaState::kReady) {
                db_->Exec("PRAGMA journal_mode = WAL");
                // In WAL mode a commit survives the process being killed; only
                // a power cut can take the latest ones, never the file's soundness.
                db_->Exec("PRAGMA synchronous = NORMAL");
                state = MigrateHistorySchema(*db_);
            }
            switch (state) {
                case SchemaState::kReady:
                    return Opened::kReady;
                case SchemaState::kNewer:
                    TurnOff(kOff + path_.string() + " 来自较新的版本");
                    return Opened::kOff;
                case SchemaState::kForeign:
                    return Opened::kDamaged;
            }
        } catch (const SqliteError& error) {
            if (IsDamage(error.code())) return Opened::kDamaged;
            // Switching to WAL while another instance reads fails at once,
            // without the busy handler's wait.
            if (error.code() == SQLITE_BUSY || error.code() == SQLITE_LOCKED) {
                Close(false);
                return Opened::kBusy;
            }
            TurnOffFor(error.code());
        } catch (const std::exception&) {
        }
        if (db_) TurnOff(kOff + "无法打开 " + path_.string());
        return Opened::kOff;
    };
    const auto giveUp =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    for (int damaged = 0;;) {
        switch (openOnce()) {
            case Opened::kReady:
            case Opened::kOff:
                return;
            case Opened::kBusy:
                if (std::chrono::steady_clock::now() > giveUp)
                    return TurnOff(kOff + path_.string() + " 被占用");
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                break;
            case Opened::kDamaged:
                // A new file found damaged at once is beyond what a new one would mend.
                if (++damaged == 2) {
                    MoveAside();
                    return TurnOff(kOff + path_.string() + " 已损坏");
                }
                if (!MoveAside()) return;
                break;
        }
    }
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

std::int64_t HistoryStore::EnsureSource(std::string_view source) {
    db_->Cached("INSERT INTO source(name) VALUES (?1) ON CONFLICT(name) DO NOTHING")
        .Bind(source)
        .Run();
    return SourceId(source);
}

std::vector<RankChange> HistoryStore::StoreInTransaction(const HistoryList& list) {
    const std::int64_t source = EnsureSource(list.source);
    std::optional<std::int64_t> lastFetch;
    {
        Rows rows = db_->Cached("SELECT last_fetch FROM source WHERE id = ?1").Bind(source);
        if (rows.Step()) lastFetch = rows.OptionalInt(0);
    }
    std::vector<SpanRow> spans;
    std::optional<HistoryList> previous;
    std::int64_t ord = 1;
    if (lastFetch) {
        if (const std::optional<StoredFetch> fetch = FetchAt(*lastFetch)) ord = fetch->ord + 1;
        previous = ReadList(*lastFetch, &spans);
    }
    std::vector<RankChange> changes = CompareLists(previous ? &*previous : nullptr, list.rows);

    db_->Cached("INSERT INTO fetch(source, at, ord, request) VALUES (?1, ?2, ?3, ?4)")
        .Bind(source, ToMillis(list.fetchedAt), ord, list.request)
        .Run();
    const std::int64_t fetch = db_->LastInsertId();

    std::unordered_map<std::int64_t, const SpanRow*> onBoard;
    for (const SpanRow& span : spans)
        onBoard.emplace(span.topic, &span);
    std::unordered_set<std::string_view> seen;
    for (const HistoryRow& row : list.rows) {
        if (!seen.insert(row.title).second) continue;
        std::int64_t topic = 0;
        {
            Rows rows = db_->Cached(
                               "INSERT INTO topic(source, title, link, last_fetch)"
                               " VALUES (?1, ?2, ?3, ?4) ON CONFLICT(title, source) DO UPDATE"
                               " SET link = excluded.link, last_fetch = excluded.last_fetch"
                               " RETURNING id")
                            .Bind(source, row.title, row.link, fetch);
            rows.Step();
            topic = rows.Int(0);
        }
        const auto held = onBoard.find(topic);
        if (held != onBoard.end() && held->second->rank == row.rank &&
            held->second->tag == row.tag) {
            db_->Cached("UPDATE span SET last = ?1, hot = ?2 WHERE topic = ?3 AND first = ?4")
                .Bind(fetch, row.hot, topic, held->second->first)
                .Run();
        } else {
            db_->Cached(
                   "INSERT INTO span(topic, first, last, rank, tag, hot)"
                   " VALUES (?1, ?2, ?2, ?3, ?4, ?5)")
                .Bind(topic, fetch, row.rank, row.tag, row.hot)
                .Run();
        }
    }
    db_->Cached("UPDATE source SET last_fetch = ?1 WHERE id = ?2").Bind(fetch, source).Run();
    return changes;
}

bool HistoryStore::Prune(int days, HistoryTime now) {
    const HistoryTime cutoff = now - std::chrono::hours(24) * days;
    return Guarded(false, [&] {
        WriteTransaction transaction(*db_);
        std::vector<std::int64_t> sources;
        {
            Rows rows = db_->Cached("SELECT id FROM source").Bind();
            while (rows.Step())
                sources.push_back(rows.Int(0));
        }
        for (const std::int64_t source : sources)
            PruneSource(source, cutoff);
        transaction.Commit();
        return true;
    });
}

void HistoryStore::PruneSource(std::int64_t source, HistoryTime cutoff) {
    // The first list kept; stretches reaching back past it now start there.
    std::int64_t kept = 0;
    {
        Rows rows = db_->Cached(
                           "SELECT id FROM fetch WHERE source = ?1 AND at >= ?2"
                           " ORDER BY at, id LIMIT 1")
                        .Bind(source, ToMillis(cutoff));
        if (rows.Step()) kept = rows.Int(0);
    }
    if (!kept) {
        Rows rows = db_->Cached("SELECT coalesce(last_fetch, 0) + 1 FROM source WHERE id = ?1")
                        .Bind(source);
        rows.Step();
        kept = rows.Int(0);
    }
    db_->Cached(
           "DELETE FROM span WHERE topic IN"
           " (SELECT id FROM topic WHERE source = ?1 AND last_fetch < ?2)")
        .Bind(source, kept)
        .Run();
    db_->Cached("DELETE FROM topic WHERE source = ?1 AND last_fetch < ?2").Bind(source, kept).Run();
    db_->Cached(
           "DELETE FROM span WHERE topic IN (SELECT id FROM topic WHERE source = ?1)"
           " AND last < ?2")
        .Bind(source, kept)
        .Run();
    db_->Cached(
           "UPDATE span SET first = ?2 WHERE topic IN (SELECT id FROM topic WHERE source = ?1)"
           " AND first < ?2")
        .Bind(source, kept)
        .Run();
    db_->Cached("DELETE FROM fetch WHERE id < ?2 AND source = ?1").Bind(source, kept).Run();
    db_->Cached(
           "UPDATE source SET last_fetch = NULL WHERE id = ?1"
           " AND NOT EXISTS (SELECT 1 FROM fetch WHERE source = ?1)")
        .Bind(source)
        .Run();
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
