#pragma once

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "history/history_report.h"
#include "history/history_types.h"

namespace vantrel {

// Readable failures.
inline void PrintTo(const TopicSummary& s, std::ostream* out) {
    *out << s.title << " " << FormatUtcTime(s.firstSeen) << " " << FormatUtcTime(s.lastSeen)
         << " best " << s.bestRank << " latest " << s.latestRank << " x" << s.appearances;
}
inline void PrintTo(const TopicStats& s, std::ostream* out) {
    *out << s.title << " " << FormatUtcTime(s.firstSeen) << " best " << s.bestRank << " "
         << s.minutesToday << " min";
}
inline void PrintTo(const RankPoint& p, std::ostream* out) {
    *out << FormatUtcTime(p.at) << " #" << p.rank;
}
inline void PrintTo(const SourceSeries& s, std::ostream* out) {
    *out << s.source << ":";
    for (const RankRun& run : s.runs) {
        *out << " [";
        for (const RankPoint& step : run.steps)
            *out << FormatUtcTime(step.at) << " #" << step.rank << ", ";
        *out << "until " << FormatUtcTime(run.end) << "]";
    }
}
inline void PrintTo(const HistoryRow& r, std::ostream* out) {
    *out << r.rank << " " << r.title << " [" << r.tag << "] " << r.hot.value_or(-1) << " "
         << r.link;
}

}  // namespace vantrel

namespace vantrel::testing {

using namespace std::chrono_literals;

// 2026-12-09 00:00:00 UTC.
inline const HistoryTime kDay = std::chrono::sys_days{std::chrono::year{2026} / 12 / 9};

// A list of `source` fetched `minute` minutes after kDay: the titles in
// order, ranked from `firstRank`, with hot values and links made from them.
inline HistoryList ListAt(const std::string& source, int minute,
                          const std::vector<std::string>& titles, int firstRank = 1) {
    HistoryList list{source, kDay + std::chrono::minutes(minute), "主接口", {}};
    for (const std::string& title : titles) {
        const int rank = firstRank + static_cast<int>(list.rows.size());
        list.rows.push_back({rank, title, rank < 3 ? "hot" : "", 1000 - rank * 10 + minute,
                             "https://example.invalid/" + title});
    }
    return list;
}

// Every row of every column of `sql` run on the file with a connection of
// its own, joined by "|" per row.
inline std::vector<std::string> Query(const std::filesystem::path& file, const std::string& sql) {
    std::vector<std::string> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_exec(
            db, sql.c_str(),
            [](void* out, int count, char** values, char**) {
                std::string row;
                for (int i = 0; i < count; ++i)
                    row += (i ? "|" : "") + std::string(values[i] ? values[i] : "NULL");
                static_cast<std::vector<std::string>*>(out)->push_back(row);
                return 0;
            },
            &rows, nullptr);
    }
    sqlite3_close(db);
    return rows;
}

}  // namespace vantrel::testing
