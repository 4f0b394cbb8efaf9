#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>

#include "history/broken_file.h"
#include "history/history_store.h"
#include "history_test_support.h"
#include "settings/temp_folder.h"

namespace vantrel {
namespace {

using testing::kDay;
using testing::Query;
using testing::ReadFile;
using testing::WriteFile;
namespace fs = std::filesystem;

// List k of a writer: 50 of 80 titles, shifting by one each list and with
// one pair swapped, so titles rise, fall, leave and come back.
HistoryList NumberedList(const std::string& writer, int k) {
    std::vector<std::string> titles;
    for (int i = 0; i < 50; ++i)
        titles.push_back("topic " + std::to_string((i + k) % 80));
    std::swap(titles[k % 49], titles[k % 49 + 1]);
    HistoryList list = testing::ListAt("weibo", k, titles);
    list.request = writer + std::to_string(k);
    return list;
}

// Checks every stored list against the list its request names; returns how many there are.
int CheckEveryListWhole(const fs::path& file) {
    EXPECT_EQ(Query(file, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    const std::vector<std::string> fetches = Query(file, "SELECT ord, request FROM fetch");
    for (const std::string& fetch : fetches) {
        const std::string ord = fetch.substr(0, fetch.find('|'));
        const std::string request = fetch.substr(fetch.find('|') + 1);
        const HistoryList expected =
            NumberedList(request.substr(0, 1), std::stoi(request.substr(1)));
        std::vector<std::string> rows;
        for (const HistoryRow& row : expected.rows)
            rows.push_back(std::to_string(row.rank) + "|" + row.title);
        EXPECT_EQ(Query(file,
                        "SELECT p.rank, t.title FROM span p JOIN topic t ON t.id = p.topic"
                        " WHERE p.first <= " +
                            ord +
                            " AND coalesce(p.last, (SELECT last_ord FROM source"
                            " WHERE id = p.source)) >= " +
                            ord + " ORDER BY p.rank"),
                  rows)
            << request;
    }
    return static_cast<int>(fetches.size());
}

// Runs `body` in a child process; its return value is the exit code.
pid_t Spawn(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    return pid;
}

int ExitCode(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class HistoryFaultsTest : public ::testing::Test {
  protected:
    testing::TempFolder folder;
    fs::path file = folder.path() / "history.sqlite3";

    // A real file of a few hundred pages, closed.
    void MakeDatabase() {
        HistoryStore store(file);
        for (int k = 0; k < 200; ++k)
            ASSERT_TRUE(store.Store(NumberedList("A", k)).stored);
    }
    // history.sqlite3.broken-YYYYmmdd-HHMMSS beside the file.
    bool IsBrokenName(const fs::path& name) const {
        const std::string prefix = file.string() + ".broken-";
        if (name.string().rfind(prefix, 0) != 0) return false;
        const std::string stamp = name.string().substr(prefix.size());
        return stamp.size() == 15 && stamp[8] == '-' &&
               std::count_if(stamp.begin(), stamp.end(), ::isdigit) == 14;
    }
};

TEST_F(HistoryFaultsTest, GarbageGoesAsideByteForByteWithItsLog) {
    std::string garbage(10000, '\0');
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>(i * 7919 % 251);
    WriteFile(file, garbage);
    WriteFile(fs::path(file) += "-wal", "not a log");
    HistoryStore store(file);
    ASSERT_TRUE(store.Available()) << store.Problem();
    ASSERT_EQ(store.MovedAside().size(), 1u);
    const fs::path aside = store.MovedAside()[0];
    EXPECT_TRUE(IsBrokenName(aside)) << aside;
    EXPECT_TRUE(ReadFile(aside) == garbage);
    EXPECT_EQ(ReadFile(fs::path(aside) += "-wal"), "not a log");
    EXPECT_TRUE(store.Store(NumberedList("A", 1)).stored);
    EXPECT_EQ(CheckEveryListWhole(file), 1);
}

TEST_F(HistoryFaultsTest, TruncatedDatabaseIsFoundAtOpening) {
    MakeDatabase();
    const std::string whole = ReadFile(file);
    const std::string cut = whole.substr(0, whole.size() * 3 / 5);
    WriteFile(file, cut);
    HistoryStore store(file);
    ASSERT_EQ(store.MovedAside().size(), 1u);
    EXPECT_TRUE(ReadFile(store.MovedAside()[0]) == cut);
    EXPECT_TRUE(store.LatestLists().empty());
    EXPECT_TRUE(store.Available());
}

TEST_F(HistoryFaultsTest, DamageMetAfterOpeningGoesAsideAndTheListIsStoredAnew) {
    MakeDatabase();
    std::string bytes = ReadFile(file);
    for (size_t page = 4096; page + 4096 <= bytes.size(); page += 4096)
        bytes.replace(page + 8, 64, std::string(64, '\x5A'));
    WriteFile(file, bytes);
    HistoryStore store(file, false);
    ASSERT_TRUE(store.Available()) << store.Problem();
    EXPECT_TRUE(store.Store(NumberedList("A", 7)).stored);
    ASSERT_EQ(store.MovedAside().size(), 1u);
    EXPECT_TRUE(ReadFile(store.MovedAside()[0]) == bytes);
    EXPECT_EQ(CheckEveryListWhole(file), 1);
}

TEST_F(HistoryFaultsTest, TakenBrokenNamesGetASuffix) {
    const HistoryTime at = kDay + std::chrono::hours(5);
    WriteFile(file, "x");
    WriteFile(BrokenFileName(file, at), "first");
    WriteFile(BrokenFileName(file, at, 2), "second");
    EXPECT_EQ(MoveBrokenAside(file, at), fs::path(BrokenFileName(file, at).string() + "-3"));
    EXPECT_EQ(ReadFile(BrokenFileName(file, at)), "first");
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(HistoryFaultsTest, AFileOfALaterVersionIsLeftAloneAndOneOfOthersMovedAside) {
    WriteFile(file, "");
    Query(file, "CREATE TABLE later(x); PRAGMA user_version = 9;");
    const std::string later = ReadFile(file);
    {
        HistoryStore store(file);
        EXPECT_FALSE(store.Available());
        EXPECT_NE(store.Problem().find("较新"), std::string::npos) << store.Problem();
        EXPECT_FALSE(store.Store(NumberedList("A", 1)).stored);
    }
    EXPECT_TRUE(ReadFile(file) == later);

    Query(file, "PRAGMA user_version = 0;");
    HistoryStore store(file);
    EXPECT_TRUE(store.Available());
    EXPECT_EQ(store.MovedAside().size(), 1u);
}

TEST_F(HistoryFaultsTest, VersionOneFileMadeByTheShellIsReadAndExtended) {
    if (std::system("command -v sqlite3 >/dev/null") != 0) GTEST_SKIP() << "no sqlite3 shell";
    const fs::path script = folder.path() / "v1.sql";
    // Lists at kDay (a, b) and one minute later (b, a): 1796774400000 is kDay in ms.
    WriteFile(script, R"sql(
CREATE TABLE source (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE,
  last_ord INTEGER NOT NULL DEFAULT 0, latest_hot TEXT NOT NULL DEFAULT '');
CREATE TABLE fetch (ord INTEGER NOT NULL, source INTEGER NOT NULL, at INTEGER NOT NULL,
  request TEXT NOT NULL, PRIMARY KEY (ord, source)) WITHOUT ROWID;
CREATE INDEX fetch_by_time ON fetch(at, source);
CREATE TABLE topic (id INTEGER PRIMARY KEY, source INTEGER NOT NULL, title TEXT NOT NULL,
  link TEXT NOT NULL, last_ord INTEGER NOT NULL, UNIQUE (title, source));
CREATE INDEX topic_by_last_ord ON topic(source, last_ord);
CREATE TABLE span (topic INTEGER NOT NULL, first INTEGER NOT NULL, last INTEGER,
  at INTEGER NOT NULL, rank INTEGER NOT NULL, tag TEXT NOT NULL, hot INTEGER,
  source INTEGER NOT NULL, PRIMARY KEY (topic, first)) WITHOUT ROWID;
CREATE INDEX span_on_board ON span(source) WHERE last IS NULL;
INSERT INTO source VALUES (1, 'weibo', 2, '2:60,1:,');
INSERT INTO fetch VALUES (1, 1, 1796774400000, '主接口'), (2, 1, 1796774460000, '备用接口1');
INSERT INTO topic VALUES (1, 1, 'a', 'la', 1), (2, 1, 'b', 'lb', 1);
INSERT INTO span VALUES (1, 1, 1, 1796774400000, 1, 'hot', 50, 1),
  (1, 2, NULL, 1796774460000, 2, '', 55, 1), (2, 1, 1, 1796774400000, 2, '', 40, 1),
  (2, 2, NULL, 1796774460000, 1, 'new', 45, 1);
PRAGMA user_version = 1;
)sql");
    ASSERT_EQ(std::system(("sqlite3 '" + file.string() + "' < '" + script.string() + "'").c_str()),
              0);
    HistoryStore store(file);
    ASSERT_TRUE(store.Available()) << store.Problem();
    EXPECT_EQ(store.LatestList("weibo"),
              (HistoryList{"weibo",
                           kDay + std::chrono::minutes(1),
                           "备用接口1",
                           {{1, "b", "new", 60, "lb"}, {2, "a", "", std::nullopt, "la"}}}));
    std::vector<std::string> changes;
    for (const RankChange& change :
         store.Store(testing::ListAt("weibo", 2, {"a", "c", "b"})).changes)
        changes.push_back(ChangeText(change));
    EXPECT_EQ(changes, (std::vector<std::string>{"+1", "new", "-2"}));
    EXPECT_EQ(store.Summaries("weibo", kDay, kDay + std::chrono::hours(1)).at(0),
              (TopicSummary{"a", kDay, kDay + std::chrono::minutes(2), 1, 1, 3}));
    EXPECT_EQ(Query(file, "PRAGMA user_version; PRAGMA journal_mode"),
              (std::vector<std::string>{"1", "wal"}));
}

TEST_F(HistoryFaultsTest, ReadOnlyFolderTurnsTheStoreOff) {
    const fs::path readOnly = folder.path() / "ro";
    fs::create_directory(readOnly);
    ::chmod(folder.path().c_str(), 0755);
    ::chmod(readOnly.c_str(), 0555);
    const int code = ExitCode(Spawn([&] {
        // Root writes anywhere: look at the folder as an ordinary user would.
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 77;
        HistoryStore store(readOnly / "vantrel" / "history.sqlite3");
        const bool off =
            !store.Available() && store.Problem().find(readOnly.string()) != std::string::npos;
        const bool quiet = !store.Store(NumberedList("A", 1)).stored &&
                           store.LatestLists().empty() && !store.Prune(30, kDay) &&
                           store.Summaries("weibo", kDay, kDay).empty();
        return off && quiet ? 0 : 1;
    }));
    if (code == 77) GTEST_SKIP() << "cannot become an ordinary user";
    EXPECT_EQ(code, 0);
}

TEST_F(HistoryFaultsTest, FullDiskTurnsTheStoreOffAndKeepsWhatWasStored) {
    const int code = ExitCode(Spawn([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        HistoryStore store(file);
        if (!store.Store(NumberedList("A", 0)).stored) return 2;
        // No file may grow past 256 KiB from here on.
        const rlimit limit{256 << 10, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        for (int k = 1; k < 2000 && store.Available(); ++k)
            store.Store(NumberedList("A", k));
        return !store.Available() && store.Problem().rfind("历史记录已停用", 0) == 0 &&
                       !store.Store(NumberedList("A", 0)).stored
                   ? 0
                   : 1;
    }));
    EXPECT_EQ(code, 0);
    EXPECT_GT(CheckEveryListWhole(file), 1);
}

TEST_F(HistoryFaultsTest, KilledWriterLosesAtMostTheListItWasWriting) {
    int committed = 0;
    for (int round = 0; round < 5; ++round) {
        int report[2];
        ASSERT_EQ(::pipe(report), 0);
        const pid_t writer = Spawn([&] {
            ::close(report[0]);
            HistoryStore store(file);
            for (int k = committed;; ++k) {
                if (!store.Store(NumberedList("A", k)).stored) return 1;
                if (::write(report[1], "+", 1) != 1) return 1;
            }
        });
        ::close(report[1]);
        // Kill it a different number of lists in, most likely inside a write.
        char mark;
        for (int seen = 0; seen < 3 + round * 7 && ::read(report[0], &mark, 1) == 1; ++seen)
            ++committed;
        ::kill(writer, SIGKILL);
        while (::read(report[0], &mark, 1) == 1)
            ++committed;
        ::close(report[0]);
        EXPECT_EQ(ExitCode(writer), 128 + SIGKILL);
        const int stored = CheckEveryListWhole(file);
        EXPECT_GE(stored, committed);
        EXPECT_LE(stored, committed + 1);
        committed = stored;
    }
}

TEST_F(HistoryFaultsTest, TwoProcessesWriteAtOnce) {
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const auto writer = [&](const std::string& name) {
        return Spawn([&, name] {
            ::close(go[1]);
            char mark;
            if (::read(go[0], &mark, 1) != 0) return 2;
            HistoryStore store(file);
            for (int k = 0; k < 150; ++k) {
                if (!store.Store(NumberedList(name, k)).stored) return 1;
            }
            return 0;
        });
    };
    const pid_t a = writer("A"), b = writer("B");
    ::close(go[0]);
    ::close(go[1]);  // both start together
    EXPECT_EQ(ExitCode(a), 0);
    EXPECT_EQ(ExitCode(b), 0);
    EXPECT_EQ(CheckEveryListWhole(file), 300);
    EXPECT_EQ(Query(file, "SELECT count(DISTINCT ord), max(ord) FROM fetch"),
              std::vector<std::string>{"300|300"});
}

}  // namespace
}  // namespace vantrel
