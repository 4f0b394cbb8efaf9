#pragma once

#include <sqlite3.h>
#include <chrono>
#include <cstdint>
#include <exception>
#include <string>

#include "history/history_store.h"
#include "history/sqlite_db.h"

namespace vantrel {

// A topic's latest stretch at one rank and tag.
struct SpanRow {
    std::int64_t topic = 0;
    std::int64_t first = 0;
    int rank = 0;
    std::string tag;
};

// One stretch at one rank, cut to the fetches asked about; times in Unix ms.
struct SpanPiece {
    int rank = 0;
    std::int64_t fromAt = 0, fromOrd = 0, toAt = 0, toOrd = 0;
};

struct StoredFetch {
    std::string source;
    HistoryTime at{};
    std::int64_t ord = 0;
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
            const int code = error.code();
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
