#pragma once

#include <sqlite3.h>
#include <chrono>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "history/history_store.h"
#include "history/sqlite_db.h"

namespace vantrel {

struct SourceRow {
    std::int64_t id = 0;
    std::int64_t lastOrd = 0;  // its latest list; 0 while it has none
    std::string latestHot;
};

// A stretch in a source's latest list.
struct OnBoard {
    std::int64_t topic = 0;
    std::int64_t first = 0;
    HistoryRow row;
};

// A stretch at one rank cut to the fetches asked about.
struct SpanPiece {
    int rank = 0;
    std::int64_t from = 0, to = 0;  // fetches
    std::int64_t fromAt = 0;
};

// Pieces one fetch apart: one stay on the board, ending at `endAt`.
struct Stay {
    std::vector<SpanPiece> pieces;
    std::int64_t endAt = 0;
};

struct StoredFetch {
    HistoryTime at{};
    std::string request;
};

inline std::int64_t ToMillis(HistoryTime time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

inline HistoryTime FromMillis(std::int64_t millis) {
    return HistoryTime(
        std::chrono::duration_cast<HistoryTime::duration>(std::chrono::milliseconds(millis)));
}

// A damaged file is moved aside and, when `retryAfterDamage`, the action runs
// once more on the new one; a failure that will not pass (no space, no write
// access) turns the store off; anything else fails this call only.
template <typename Result, typename Action>
Result HistoryStore::Guarded(Result fallback, Action action, bool retryAfterDamage) {
    for (int attempt = 0; attempt < 2 && db_; ++attempt) {
        try {
            return action();
        } catch (const SqliteError& error) {
            const int code = error.Code();
            if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB) {
                HandleDamage();
                if (!retryAfterDamage) return fallback;
                continue;
            }
            TurnOffFor(code);
            return fallback;
        } catch (const std::exception&) {
            return fallback;  // out of memory: this call only
        }
    }
    return fallback;
}

}  // namespace vantrel
