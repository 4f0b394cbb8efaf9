#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// $XDG_DATA_HOME/vantrel/notified-titles.json, else below ~/.local/share.
std::filesystem::path NotifiedTitlesPath();

// The titles notified in the last 24 hours, each with its moment, so that a
// title is told once a day even across restarts. The file is JSON,
// [{"title": "…", "at": unix seconds}, …], rewritten atomically at each note;
// a missing or unreadable one counts as empty. An empty path keeps them in
// memory only.
class NotifiedTitles {
  public:
    using TimePoint = std::chrono::system_clock::time_point;
    static constexpr std::chrono::hours kQuietTime{24};

    explicit NotifiedTitles(std::filesystem::path path = NotifiedTitlesPath());

    // Whether the local-text title was notified less than 24 hours before now.
    bool Recently(std::string_view title, TimePoint now) const;
    // Notes the titles as notified now, forgets those older than a day, saves.
    void Note(const std::vector<std::string>& titles, TimePoint now);

  private:
    std::filesystem::path path_;
    std::map<std::string, std::int64_t, std::less<>> notified_;  // local title -> unix seconds
};

}  // namespace vantrel
