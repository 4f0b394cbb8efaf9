#include "history/history_schema.h"

#include <sqlite3.h>
#include <array>

namespace vantrel {
namespace {

// Each entry takes the file from version i to version i + 1; entries are
// only ever appended. Version 1: a topic on the board for many fetches is one
// `span` row per stretch at one rank and tag, not one row per fetch. Times
// are Unix milliseconds (UTC); `ord` numbers a source's fetches 1, 2, 3... so
// the lists between two fetches are counted by subtraction.
constexpr std::array<const char*, 1> kMigrations = {
    R"sql(
CREATE TABLE source (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE,
  last_fetch INTEGER
);
CREATE TABLE fetch (
  id INTEGER PRIMARY KEY,
  source INTEGER NOT NULL,
  at INTEGER NOT NULL,
  ord INTEGER NOT NULL,
  request TEXT NOT NULL
);
CREATE INDEX fetch_by_time ON fetch(source, at);
CREATE TABLE topic (
  id INTEGER PRIMARY KEY,
  source INTEGER NOT NULL,
  title TEXT NOT NULL,
  link TEXT NOT NULL,
  last_fetch INTEGER NOT NULL,
  UNIQUE (title, source)
);
CREATE INDEX topic_by_last_fetch ON topic(last_fetch);
CREATE TABLE span (
  topic INTEGER NOT NULL,
  first INTEGER NOT NULL,
  last INTEGER NOT NULL,
  rank INTEGER NOT NULL,
  tag TEXT NOT NULL,
  hot INTEGER,
  PRIMARY KEY (topic, first)
) WITHOUT ROWID;
)sql",
};

// Every column the queries read, so a file with a table missing or changed
// is found at opening rather than at some later call.
constexpr const char* kSchemaProbe =
    "SELECT s.id, s.name, s.last_fetch, f.id, f.source, f.at, f.ord, f.request,"
    " t.id, t.source, t.title, t.link, t.last_fetch,"
    " p.topic, p.first, p.last, p.rank, p.tag, p.hot"
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
        if (error.code() != SQLITE_ERROR) throw;
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
