#include <algorithm>
#include <ctime>
#include <map>
#include <unordered_map>

#include "history/history_store.h"
#include "history/hot_values.h"
#include "history/store_internal.h"

namespace vantrel {
namespace {

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

std::optional<SourceRow> HistoryStore::FindSource(std::string_view name) {
    Rows rows =
        db_->Cached("SELECT id, last_ord, latest_hot FROM source WHERE name = ?1").Bind(name);
    if (!rows.Step()) return std::nullopt;
    return SourceRow{rows.Int(0), rows.Int(1), rows.Text(2)};
}

std::optional<StoredFetch> HistoryStore::FetchAt(std::int64_t source, std::int64_t ord) {
    Rows rows = db_->Cached("SELECT at, request FROM fetch WHERE ord = ?2 AND source = ?1")
                    .Bind(source, ord);
    if (!rows.Step()) return std::nullopt;
    return StoredFetch{FromMillis(rows.Int(0)), rows.Text(1)};
}

std::int64_t HistoryStore::FetchTime(std::int64_t source, std::int64_t ord) {
    Rows rows =
        db_->Cached("SELECT at FROM fetch WHERE ord = ?2 AND source = ?1").Bind(source, ord);
    return rows.Step() ? rows.Int(0) : 0;
}

// The first and last fetch of `source` in [from, to].
std::optional<std::pair<std::int64_t, std::int64_t>> HistoryStore::OrdRange(std::int64_t source,
                                                                            HistoryTime from,
                                                                            HistoryTime to) {
    const auto end = [&](const char* sql) -> std::int64_t {
        Rows rows = db_->Cached(sql).Bind(source, ToMillis(from), ToMillis(to));
        return rows.Step() ? rows.Int(0) : 0;
    };
    // Ordered as the index is, so the end is found without a sort.
    const std::int64_t first =
        end("SELECT ord FROM fetch WHERE source = ?1 AND at BETWEEN ?2 AND ?3"
            " ORDER BY at, source, ord LIMIT 1");
    if (!first) return std::nullopt;
    const std::int64_t last =
        end("SELECT ord FROM fetch WHERE source = ?1 AND at BETWEEN ?2 AND ?3"
            " ORDER BY at DESC, source DESC, ord DESC LIMIT 1");
    return std::make_pair(first, last);
}

HistoryList HistoryStore::ReadLatest(std::string_view name, const SourceRow& source,
                                     std::vector<OnBoard>* onBoard) {
    HistoryList list{std::string(name), {}, {}, {}};
    if (const std::optional<StoredFetch> stored = FetchAt(source.id, source.lastOrd)) {
        list.fetchedAt = stored->at;
        list.request = stored->request;
    }
    const auto hot = ParseHotValues(source.latestHot);
    Rows rows = db_->Cached(
                       "SELECT s.topic, s.first, s.rank, t.title, s.tag, t.link"
                       " FROM span s JOIN topic t ON t.id = s.topic"
                       " WHERE s.source = ?1 AND s.last IS NULL ORDER BY s.rank, s.topic")
                    .Bind(source.id);
    while (rows.Step()) {
        const auto found = hot.find(rows.Int(0));
        HistoryRow row{static_cast<int>(rows.Int(2)), rows.Text(3), rows.Text(4),
                       found == hot.end() ? std::nullopt : found->second, rows.Text(5)};
        if (onBoard) onBoard->push_back({rows.Int(0), rows.Int(1), row});
        list.rows.push_back(std::move(row));
    }
    return list;
}

std::optional<HistoryList> HistoryStore::LatestList(std::string_view source) {
    return Guarded(std::optional<HistoryList>(), [&]() -> std::optional<HistoryList> {
        const std::optional<SourceRow> row = FindSource(source);
        if (!row || !row->lastOrd) return std::nullopt;
        return ReadLatest(source, *row);
    });
}

std::vector<HistoryList> HistoryStore::LatestLists() {
    return Guarded(std::vector<HistoryList>(), [&] {
        std::vector<std::string> names;
        {
            Rows rows =
                db_->Cached("SELECT name FROM source WHERE last_ord > 0 ORDER BY id").Bind();
            while (rows.Step())
                names.push_back(rows.Text(0));
        }
        std::vector<HistoryList> lists;
        for (const std::string& name : names)
            lists.push_back(ReadLatest(name, *FindSource(name)));
        return lists;
    });
}

std::vector<Stay> HistoryStore::Stays(const SourceRow& source, std::int64_t topic,
                                      std::int64_t from, std::int64_t to) {
    std::vector<Stay> stays;
    {
        // The stretches reaching into [from, to]: the PRIMARY KEY range starts
        // at the one holding `from`, so older stretches are not read.
        Rows rows = db_->Cached(
                           "SELECT s.rank, s.first, min(coalesce(s.last, ?4), ?3), s.at FROM span s"
                           " WHERE s.topic = ?1 AND s.first <= ?3 AND coalesce(s.last, ?4) >= ?2"
                           " AND s.first >= coalesce((SELECT max(first) FROM span"
                           "                          WHERE topic = ?1 AND first <= ?2), 0)"
                           " ORDER BY s.first")
                        .Bind(topic, from, to, source.lastOrd);
        while (rows.Step()) {
            SpanPiece piece{static_cast<int>(rows.Int(0)), rows.Int(1), rows.Int(2), rows.Int(3)};
            if (piece.from < from) {
                piece.from = from;
                piece.fromAt = 0;  // looked up below: only the first piece can start early
            }
            if (stays.empty() || piece.from != stays.back().pieces.back().to + 1)
                stays.emplace_back();
            stays.back().pieces.push_back(piece);
        }
    }
    for (Stay& stay : stays) {
        if (!stay.pieces.front().fromAt)
            stay.pieces.front().fromAt = FetchTime(source.id, stay.pieces.front().from);
        stay.endAt = FetchTime(source.id, stay.pieces.back().to);
    }
    return stays;
}

TopicStats HistoryStore::StatsOf(const SourceRow& source, std::int64_t topic, std::string title,
                                 HistoryTime now) {
    TopicStats stats{std::move(title)};
    {
        Rows rows = db_->Cached(
                           "SELECT (SELECT at FROM span WHERE topic = ?1 ORDER BY first LIMIT 1),"
                           " (SELECT min(rank) FROM span WHERE topic = ?1)")
                        .Bind(topic);
        if (rows.Step()) {
            stats.firstSeen = FromMillis(rows.Int(0));
            stats.bestRank = static_cast<int>(rows.Int(1));
        }
    }
    const HistoryTime dayStart = LocalMidnight(now, 0);
    const HistoryTime dayEnd = std::min(now, LocalMidnight(now, 1) - std::chrono::milliseconds(1));
    const auto range = OrdRange(source.id, dayStart, dayEnd);
    if (!range) return stats;
    // A stay that held at the last list before midnight was on the board since midnight.
    std::int64_t from = range->first;
    {
        Rows rows = db_->Cached(
                           "SELECT ord FROM fetch WHERE source = ?1 AND at < ?2"
                           " ORDER BY at DESC, source DESC, ord DESC LIMIT 1")
                        .Bind(source.id, ToMillis(dayStart));
        if (rows.Step()) from = rows.Int(0);
    }
    std::int64_t millis = 0;
    for (const Stay& stay : Stays(source, topic, from, range->second)) {
        millis += std::max<std::int64_t>(
            0, stay.endAt - std::max(stay.pieces.front().fromAt, ToMillis(dayStart)));
    }
    stats.minutesToday = static_cast<int>(millis / 60000);
    return stats;
}

std::optional<TopicStats> HistoryStore::Stats(std::string_view source, std::string_view title,
                                              HistoryTime now) {
    return Guarded(std::optional<TopicStats>(), [&]() -> std::optional<TopicStats> {
        const std::optional<SourceRow> row = FindSource(source);
        if (!row) return std::nullopt;
        Rows rows = db_->Cached("SELECT id FROM topic WHERE title = ?1 AND source = ?2")
                        .Bind(title, row->id);
        if (!rows.Step()) return std::nullopt;
        const std::int64_t topic = rows.Int(0);
        return StatsOf(*row, topic, std::string(title), now);
    });
}

// The topics of source ?1 that can have been on the board since fetch ?2:
// those whose latest stretch closed since, and those on the board now.
#define TOPICS_SINCE                                                   \
    "(SELECT id FROM topic WHERE source = ?1 AND last_ord >= ?2 UNION" \
    " SELECT topic FROM span WHERE source = ?1 AND last IS NULL)"

std::vector<TopicStats> HistoryStore::Today(std::string_view source, HistoryTime now) {
    return Guarded(std::vector<TopicStats>(), [&] {
        std::vector<TopicStats> table;
        const std::optional<SourceRow> row = FindSource(source);
        if (!row) return table;
        const auto range = OrdRange(row->id, LocalMidnight(now, 0), now);
        if (!range) return table;
        std::vector<std::pair<std::int64_t, std::string>> topics;
        {
            Rows rows = db_->Cached("SELECT t.id, t.title FROM topic t WHERE t.id IN " TOPICS_SINCE
                                    " AND EXISTS (SELECT 1 FROM span s WHERE s.topic = t.id"
                                    "  AND s.first <= ?3 AND coalesce(s.last, ?4) >= ?2)")
                            .Bind(row->id, range->first, range->second, row->lastOrd);
            while (rows.Step())
                topics.emplace_back(rows.Int(0), rows.Text(1));
        }
        for (auto& [topic, title] : topics)
            table.push_back(StatsOf(*row, topic, std::move(title), now));
        std::stable_sort(table.begin(), table.end(),
                         [](const auto& a, const auto& b) { return a.firstSeen < b.firstSeen; });
        return table;
    });
}

std::vector<SourceSeries> HistoryStore::Series(std::string_view title, HistoryTime from,
                                               HistoryTime to) {
    return Guarded(std::vector<SourceSeries>(), [&] {
        struct Found {
            std::int64_t topic;
            SourceRow source;
            std::string name;
        };
        std::vector<Found> found;
        {
            Rows rows = db_->Cached(
                               "SELECT t.id, s.id, s.last_ord, s.name FROM topic t"
                               " JOIN source s ON s.id = t.source WHERE t.title = ?1"
                               " ORDER BY s.id")
                            .Bind(title);
            while (rows.Step())
                found.push_back({rows.Int(0), {rows.Int(1), rows.Int(2), {}}, rows.Text(3)});
        }
        std::vector<SourceSeries> series;
        for (const Found& each : found) {
            const auto range = OrdRange(each.source.id, from, to);
            if (!range) continue;
            SourceSeries line{each.name, {}};
            for (const Stay& stay : Stays(each.source, each.topic, range->first, range->second)) {
                RankRun& run = line.runs.emplace_back();
                for (const SpanPiece& piece : stay.pieces)
                    run.steps.push_back({FromMillis(piece.fromAt), piece.rank});
                run.end = FromMillis(stay.endAt);
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
        const std::optional<SourceRow> row = FindSource(source);
        if (!row) return summaries;
        const auto range = OrdRange(row->id, from, to);
        if (!range) return summaries;
        const auto [first, last] = *range;
        struct Seen {
            TopicSummary summary;
            std::int64_t firstOrd = 0, latestOrd = 0;
        };
        std::map<std::int64_t, Seen> byTopic;
        {
            Rows rows = db_->Cached(
                               "SELECT t.id, t.title, s.rank, s.first, s.at,"
                               " min(coalesce(s.last, ?4), ?3)"
                               " FROM topic t JOIN span s ON s.topic = t.id"
                               " WHERE t.id IN " TOPICS_SINCE
                               " AND s.first <= ?3 AND coalesce(s.last, ?4) >= ?2")
                            .Bind(row->id, first, last, row->lastOrd);
            while (rows.Step()) {
                const int rank = static_cast<int>(rows.Int(2));
                const std::int64_t begin = std::max(rows.Int(3), first), end = rows.Int(5);
                auto [entry, added] = byTopic.try_emplace(rows.Int(0));
                Seen& seen = entry->second;
                if (added) seen = {{rows.Text(1), {}, {}, rank, rank, 0}, begin, end};
                if (begin <= seen.firstOrd) {
                    seen.firstOrd = begin;
                    seen.summary.firstSeen = FromMillis(rows.Int(4));
                }
                seen.summary.bestRank = std::min(seen.summary.bestRank, rank);
                seen.summary.appearances += static_cast<int>(end - begin + 1);
                if (end >= seen.latestOrd) {
                    seen.latestOrd = end;
                    seen.summary.latestRank = rank;
                }
            }
        }
        // Most topics begin or end at the same few fetches.
        std::unordered_map<std::int64_t, HistoryTime> times;
        const auto timeOf = [&](std::int64_t ord) {
            auto [entry, added] = times.try_emplace(ord);
            if (added) entry->second = FromMillis(FetchTime(row->id, ord));
            return entry->second;
        };
        for (auto& [topic, seen] : byTopic) {
            // A stretch reaching back past the span asked about: first seen at its start.
            if (seen.firstOrd == first) seen.summary.firstSeen = timeOf(first);
            seen.summary.lastSeen = timeOf(seen.latestOrd);
            summaries.push_back(std::move(seen.summary));
        }
        std::sort(summaries.begin(), summaries.end(), [](const auto& a, const auto& b) {
            return std::tie(a.firstSeen, a.bestRank, a.title) <
                   std::tie(b.firstSeen, b.bestRank, b.title);
        });
        return summaries;
    });
}

}  // namespace vantrel
