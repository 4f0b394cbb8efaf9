#pragma once

#include "history/sqlite_db.h"

namespace vantrel {

// The schema version this build writes (PRAGMA user_version).
int HistorySchemaVersion();

enum class SchemaState {
    kReady,    // at HistorySchemaVersion(), every table and column in place
    kNewer,    // written by a later version: left alone
    kForeign,  // not ours, or missing tables or columns
};

// What the file holds, read without writing to it: kReady also for an earlier
// version that MigrateHistorySchema() can bring up to date.
SchemaState InspectHistorySchema(SqliteDb& db);

// Brings the file up to HistorySchemaVersion() one migration at a time, all in
// one transaction, and checks that what the queries need is there.
// Throws SqliteError when the file cannot be read or written.
SchemaState MigrateHistorySchema(SqliteDb& db);

}  // namespace vantrel
