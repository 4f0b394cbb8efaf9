#include <algorithm>
#include <ctime>
#include <map>

#include "history/history_store.h"
#include "history/store_internal.h"

namespace vantrel {
namespace {

// Pieces one fetch apart are one stay on the board.
std::vector<std::vector<SpanPiece>> Stays(const std::vector<SpanPiece>& pieces) {
    std::vector<std::vector<SpanPiece>> stays;
    for (const SpanPiece& piece : pieces) {
        if (stays.empty() || piece.fromOrd != stays.back().back().toOrd + 1) stays.emplace_back();
        stays.back().push_back(piece);
    }
    return stays;
}

HistoryTime LocalMidnight(HistoryTime at, int addDays) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_mday += addDays;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

}  // namespace

std::int64_t HistoryStore::SourceId(std::string_view source) {
    Rows rows = db_->Cached("SELECT id FROM source WHERE name = ?1").Bind(source);
    return rows.Step() ? rows.Int(0) : 0;
}

std::optional<StoredFetch> HistoryStore::FetchAt(std::int64_t fetch) {
    Rows rows = db_->Cached(
                       "SELECT s.name, f.at, f.ord, f.request FROM fetch f"
                       " JOIN source s ON s.id = f.source WHERE f.id = ?1")
                    .Bind(fetch);
    if (!rows.Step()) return std::nullopt;
    return StoredFetch{rows.Text(0), FromMillis(rows.Int(1)), rows.Int(2), rows.Text(3)};
}

std::optional<std::pair<std::int64_t, std::int64_t>> HistoryStore::FetchRange(std::int64_t source,
                                                                              HistoryTime from,
                                                                              HistoryTime to) {
    const auto end = [&](const char* sql) -> std::int64_t {
        Rows rows = db_->Cached(sql).Bind(source, ToMillis(from), ToMillis(to));
        return rows.Step() ? rows.Int(0) : 0;
    };
    const std::int64_t first = end(
        "SELECT id FROM fetch WHERE source = ?1 AND at BETWEEN ?2 AND ?3 ORDER BY at, id LIMIT 1");
    if (!first) return std::nullopt;
    const std::int64_t last =
        end("SELECT id FROM fetch WHERE source = ?1 AND at BETWEEN ?2 AND ?3"
            " ORDER BY at DESC, id DESC LIMIT 1");
    return std::make_pair(first, last);
}

// Only a source's latest list can be read this way: its rows are the topics
// whose last list it is, each at its latest stretch.
HistoryList HistoryStore::ReadList(std::int64_t fetch, std::vector<SpanRow>* spans) {
    HistoryList list;
    if (const std::optional<StoredFetch> stored = FetchAt(fetch)) {
        list.source = stored->source;
        list.fetchedAt = stored->at;
        list.request = stored->request;
    }
    Rows rows = db_->Cached(
                       "SELECT t.id, s.first, s.rank, t.title, s.tag, s.hot, t.link"
                       " FROM topic t JOIN span s ON s.topic = t.id"
                       " WHERE t.last_fetch = ?1"
                       " AND s.first = (SELECT max(first) FROM span WHERE topic = t.id)"
                       " ORDER BY s.rank, t.id")
                    .Bind(fetch);
    while (rows.Step()) {
        const int rank = static_cast<int>(rows.Int(2));
        list.rows.push_back({rank, rows.Text(3), rows.Text(4), rows.OptionalInt(5), rows.Text(6)});
        if (spans) spans->push_back({rows.Int(0), rows.Int(1), rank, rows.Text(4)});
    }
    return list;
}

std::optional<HistoryList> HistoryStore::LatestList(std::string_view source) {
    return Guarded(std::optional<HistoryList>(), [&]() -> std::optional<HistoryList> {
        Rows rows = db_->Cached("SELECT last_fetch FROM source WHERE name = ?1").Bind(source);
        if (!rows.Step() || rows.IsNull(0)) return std::nullopt;
        return ReadList(rows.Int(0));
    });
}

std::vector<HistoryList> HistoryStore::LatestLists() {
    return Guarded(std::vector<HistoryList>(), [&] {
        std::vector<std::int64_t> fetches;
        {
            Rows rows = db_->Cached(
                               "SELECT last_fetch FROM source WHERE last_fetch IS NOT NULL"
                               " ORDER BY id")
                            .Bind();
            while (rows.Step())
                fetches.push_back(rows.Int(0));
        }
        std::vector<HistoryList> lists;
        for (const std::int64_t fetch : fetches)
            lists.push_back(ReadList(fetch));
        return lists;
    });
}

std::vector<SpanPiece> HistoryStore::Pieces(std::int64_t topic, std::int64_t from,
                                            std::int64_t to) {
    std::vector<SpanPiece> pieces;
    // The stretches reaching into [from, to]: the PRIMARY KEY range starts at
    // the one holding `from`, so older stretches are not read.
    Rows rows = db_->Cached(
                       "SELECT s.rank, fa.at, fa.ord, fb.at, fb.ord FROM span s"
                       " JOIN fetch fa ON fa.id = max(s.first, ?2)"
                       " JOIN fetch fb ON fb.id = min(s.last, ?3)"
                       " WHERE s.topic = ?1 AND s.first <= ?3 AND s.last >= ?2"
                       " AND s.first >= coalesce((SELECT max(first) FROM span"
                       "                          WHERE topic = ?1 AND first <= ?2), 0)"
                       " ORDER BY s.first")
                    .Bind(topic, from, to);
    while (rows.Step()) {
        pieces.push_back(
            {static_cast<int>(rows.Int(0)), rows.Int(1), rows.Int(2), rows.Int(3), rows.Int(4)});
    }
    return pieces;
}

TopicStats HistoryStore::StatsOf(std::int64_t source, std::int64_t topic, std::string title,
                                 HistoryTime now) {
    TopicStats stats{std::move(title)};
    {
        Rows rows = db_->Cached(
                           "SELECT (SELECT f.at FROM span s JOIN fetch f ON f.id = s.first"
                           "        WHERE s.topic = ?1 ORDER BY s.first LIMIT 1),"
                           " (SELECT min(rank) FROM span WHERE topic = ?1)")
                        .Bind(topic);
        if (rows.Step()) {
            stats.firstSeen = FromMillis(rows.Int(0));
            stats.bestRank = static_cast<int>(rows.Int(1));
        }
    }
    const HistoryTime dayStart = LocalMidnight(now, 0);
    const HistoryTime dayEnd = std::min(now, LocalMidnight(now, 1) - std::chrono::milliseconds(1));
    const auto range = FetchRange(source, dayStart, dayEnd);
    if (!range) return stats;
    // A stay that held at the last list before midnight was on the board since midnight.
    std::int64_t from = range->first;
    {
        Rows rows = db_->Cached(
                           "SELECT id FROM fetch WHERE source = ?1 AND at < ?2"
                           " ORDER BY at DESC, id DESC LIMIT 1")
                        .Bind(source, ToMillis(dayStart));
        if (rows.Step()) from = rows.Int(0);
    }
    std::int64_t millis = 0;
    for (const std::vector<SpanPiece>& stay : Stays(Pieces(topic, from, range->second)))
        millis += std::max<std::int64_t>(
            0, stay.back().toAt - std::max(stay.front().fromAt, ToMillis(dayStart)));
    stats.minutesToday = static_cast<int>(millis / 60000);
    return stats;
}

std::optional<TopicStats> HistoryStore::Stats(std::string_view source, std::string_view title,
                                              HistoryTime now) {
    return Guarded(std::optional<TopicStats>(), [&]() -> std::optional<TopicStats> {
        const std::int64_t sourceId = SourceId(source);
        std::int64_t topic = 0;
        {
            Rows rows = db_->Cached("SELECT id FROM topic WHERE title = ?1 AND source = ?2")
                            .Bind(title, sourceId);
            if (!rows.Step()) return std::nullopt;
            topic = rows.Int(0);
        }
        return StatsOf(sourceId, topic, std::string(title), now);
    });
}

std::vector<TopicStats> HistoryStore::Today(std::string_view source, HistoryTime now) {
    return Guarded(std::vector<TopicStats>(), [&] {
        std::vector<TopicStats> table;
        const std::int64_t sourceId = SourceId(source);
        const auto range = FetchRange(sourceId, LocalMidnight(now, 0), now);
        if (!range) return table;
        std::vector<std::pair<std::int64_t, std::string>> topics;
        {
            Rows rows = db_->Cached(
                               "SELECT t.id, t.title FROM topic t WHERE t.source = ?1"
                               " AND t.last_fetch >= ?2 AND EXISTS (SELECT 1 FROM span s"
                               "  WHERE s.topic = t.id AND s.first <= ?3 AND s.last >= ?2)")
                            .Bind(sourceId, range->first, range->second);
            while (rows.Step())
                topics.emplace_back(rows.Int(0), rows.Text(1));
        }
        for (auto& [topic, title] : topics)
            table.push_back(StatsOf(sourceId, topic, std::move(title), now));
        std::stable_sort(table.begin(), table.end(),
                         [](const auto& a, const auto& b) { return a.firstSeen < b.firstSeen; });
        return table;
    });
}

std::vector<SourceSeries> HistoryStore::Series(std::string_view title, HistoryTime from,
                                               HistoryTime to) {
    return Guarded(std::vector<SourceSeries>(), [&] {
        struct Found {
            std::int64_t topic, source;
            std::string name;
        };
        std::vector<Found> found;
        {
            Rows rows = db_->Cached(
                               "SELECT t.id, t.source, s.name FROM topic t"
                               " JOIN source s ON s.id = t.source WHERE t.title = ?1"
                               " ORDER BY t.source")
                            .Bind(title);
            while (rows.Step())
                found.push_back({rows.Int(0), rows.Int(1), rows.Text(2)});
        }
        std::vector<SourceSeries> series;
        for (const Found& each : found) {
            const auto range = FetchRange(each.source, from, to);
            if (!range) continue;
            SourceSeries line{each.name, {}};
            for (const std::vector<SpanPiece>& stay :
                 Stays(Pieces(each.topic, range->first, range->second))) {
                std::vector<RankPoint>& run = line.runs.emplace_back();
                for (const SpanPiece& piece : stay) {
                    run.push_back({FromMillis(piece.fromAt), piece.rank});
                    if (piece.toOrd != piece.fromOrd)
                        run.push_back({FromMillis(piece.toAt), piece.rank});
                }
            }
            if (!line.runs.empty()) series.push_back(std::move(line));
        }
        return series;
    });
}

std::vector<TopicSummary> HistoryStore::Summaries(std::string_view source, HistoryTime from,
                                                  HistoryTime to) {
    return Guarded(std::vector<TopicSummary>(), [&] {
        std::vector<TopicSummary> summaries;
        const std::int64_t sourceId = SourceId(source);
        const auto range = FetchRange(sourceId, from, to);
        if (!range) return summaries;
        struct Seen {
            TopicSummary summary;
            std::int64_t latestOrd = 0;
        };
        std::map<std::int64_t, Seen> byTopic;
        Rows rows = db_->Cached(
                           "SELECT t.id, t.title, s.rank, fa.at, fa.ord, fb.at, fb.ord"
                           " FROM topic t JOIN span s ON s.topic = t.id"
                           " JOIN fetch fa ON fa.id = max(s.first, ?2)"
                           " JOIN fetch fb ON fb.id = min(s.last, ?3)"
                           " WHERE t.source = ?1 AND t.last_fetch >= ?2"
                           " AND s.first <= ?3 AND s.last >= ?2")
                        .Bind(sourceId, range->first, range->second);
        while (rows.Step()) {
            const int rank = static_cast<int>(rows.Int(2));
            const HistoryTime fromAt = FromMillis(rows.Int(3)), toAt = FromMillis(rows.Int(5));
            const std::int64_t fromOrd = rows.Int(4), toOrd = rows.Int(6);
            auto [entry, added] = byTopic.try_emplace(rows.Int(0));
            TopicSummary& summary = entry->second.summary;
            if (added) summary = {rows.Text(1), fromAt, toAt, rank, rank, 0};
            summary.firstSeen = std::min(summary.firstSeen, fromAt);
            summary.bestRank = std::min(summary.bestRank, rank);
            summary.appearances += static_cast<int>(toOrd - fromOrd + 1);
            if (toOrd >= entry->second.latestOrd) {
                entry->second.latestOrd = toOrd;
                summary.lastSeen = toAt;
                summary.latestRank = rank;
            }
        }
        for (auto& [topic, seen] : byTopic)
            summaries.push_back(std::move(seen.summary));
        std::sort(summaries.begin(), summaries.end(), [](const auto& a, const auto& b) {
            return std::tie(a.firstSeen, a.bestRank, a.title) <
                   std::tie(b.firstSeen, b.bestRank, b.title);
        });
        return summaries;
    });
}

}  // namespace vantrel
