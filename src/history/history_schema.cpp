#include "history/history_schema.h"

#include <sqlite3.h>
#include <array>

namespace vantrel {
namespace {

// Each entry takes the file from version i to version i + 1; entries are
// only ever appended.
//
// Version 1. A source's fetches are numbered 1, 2, 3... (`ord`), so the lists
// between two fetches are counted by subtraction. A topic on the board for
// many fetches is one `span` row per stretch at one rank and tag, from fetch
// `first` to `last`, not a row per fetch; `last` is NULL while the stretch
// holds in the source's latest list (`source.last_ord`), so a fetch that
// changes nothing for a topic writes nothing for it. `span.at` repeats the
// time of its first fetch and `span.source` its topic's source, so a series
// is read without a look-up per stretch and a source's open stretches are
// found through a small partial index. Hot values move every fetch: the
// latest list's are kept in `source.latest_hot` ("topic:value,..."), and a
// stretch takes its last one when it closes. `topic.last_ord` is the last
// fetch of the topic's latest closed stretch (or the one that first listed
// it). Fetches are keyed (ord, source) and found by (at, source), so both
// grow at their ends and their pages stay full. Times are Unix milliseconds (UTC).
constexpr std::array<const char*, 1> kMigrations = {
    R"sql(
CREATE TABLE source (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE,
  last_ord INTEGER NOT NULL DEFAULT 0,
  latest_hot TEXT NOT NULL DEFAULT ''
);
CREATE TABLE fetch (
  ord INTEGER NOT NULL,
  source INTEGER NOT NULL,
  at INTEGER NOT NULL,
  request TEXT NOT NULL,
  PRIMARY KEY (ord, source)
) WITHOUT ROWID;
CREATE INDEX fetch_by_time ON fetch(at, source);
CREATE TABLE topic (
  id INTEGER PRIMARY KEY,
  source INTEGER NOT NULL,
  title TEXT NOT NULL,
  link TEXT NOT NULL,
  last_ord INTEGER NOT NULL,
  UNIQUE (title, source)
);
CREATE INDEX topic_by_last_ord ON topic(source, last_ord);
CREATE TABLE span (
  topic INTEGER NOT NULL,
  first INTEGER NOT NULL,
  last INTEGER,
  at INTEGER NOT NULL,
  rank INTEGER NOT NULL,
  tag TEXT NOT NULL,
  hot INTEGER,
  source INTEGER NOT NULL,
  PRIMARY KEY (topic, first)
) WITHOUT ROWID;
CREATE INDEX span_on_board ON span(source) WHERE last IS NULL;
)sql",
};

// Every column the queries read, so a file with a table missing or changed
// is found at opening rather than at some later call.
constexpr const char* kSchemaProbe =
    "SELECT s.id, s.name, s.last_ord, s.latest_hot, f.ord, f.source, f.at, f.request,"
    " t.id, t.source, t.title, t.link, t.last_ord,"
    " p.topic, p.first, p.last, p.at, p.rank, p.tag, p.hot, p.source"
    " FROM source s, fetch f, topic t, span p LIMIT 0";

}  // namespace

int HistorySchemaVersion() {
    return static_cast<int>(kMigrations.size());
}

SchemaState InspectHistorySchema(SqliteDb& db) {
    const auto version = db.Scalar("PRAGMA user_version");
    if (version > HistorySchemaVersion()) return SchemaState::kNewer;
    // A version-0 file holding tables is someone else's database.
    if (version < 0 || (version == 0 && db.Scalar("SELECT count(*) FROM sqlite_schema") > 0))
        return SchemaState::kForeign;
    if (version < HistorySchemaVersion()) return SchemaState::kReady;
    try {
        db.Scalar(kSchemaProbe);
    } catch (const SqliteError& error) {
        if (error.Code() != SQLITE_ERROR) throw;
        return SchemaState::kForeign;
    }
    return SchemaState::kReady;
}

SchemaState MigrateHistorySchema(SqliteDb& db) {
    WriteTransaction transaction(db);
    // Again under the write lock: another instance may have migrated meanwhile.
    if (const SchemaState state = InspectHistorySchema(db); state != SchemaState::kReady)
        return state;
    const auto version = db.Scalar("PRAGMA user_version");
    if (version == HistorySchemaVersion()) return SchemaState::kReady;
    for (auto v = version; v < HistorySchemaVersion(); ++v)
        db.Exec(kMigrations[v]);
    db.Exec("PRAGMA user_version = " + std::to_string(HistorySchemaVersion()));
    if (const SchemaState state = InspectHistorySchema(db); state != SchemaState::kReady)
        return state;
    transaction.Commit();
    return SchemaState::kReady;
}

}  // namespace vantrel
