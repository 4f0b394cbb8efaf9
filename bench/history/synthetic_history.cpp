#include "synthetic_history.h"

#include <algorithm>

namespace vantrel::bench {
namespace {

constexpr int kRows = 50;
constexpr double kNewPerFetch = 100.0 / 1440.0;

// Common characters of news titles, so titles are as long in bytes as real ones.
constexpr std::array<const char*, 24> kWords = {"网友", "热议", "曝光", "回应", "官方",   "发布",
                                                "最新", "消息", "现场", "视频", "明星",   "比赛",
                                                "夺冠", "上涨", "下跌", "天气", "高温",   "暴雨",
                                                "城市", "学生", "考试", "新规", "演唱会", "首次"};

int FirstRank(int source) {
    return source < 2 ? 0 : 1;  // Weibo's pinned row and Baidu's board start at 0
}

}  // namespace

SyntheticBoards::SyntheticBoards(HistoryTime start, unsigned seed) : random_(seed), now_(start) {
    for (int source = 0; source < 4; ++source) {
        for (int row = 0; row < kRows; ++row)
            boards_[source].push_back(NewTopic(source));
        boards_[source][3].title = kEvergreen;
    }
}

std::string SyntheticBoards::NewTitle() {
    std::string title;
    const int words = 4 + static_cast<int>(random_() % 6);
    for (int i = 0; i < words; ++i)
        title += kWords[random_() % kWords.size()];
    return title + std::to_string(nextId_++);
}

SyntheticBoards::Topic SyntheticBoards::NewTopic(int source) {
    Topic topic;
    if (!recentTitles_.empty() && random_() % 4 == 0) {
        topic.title = recentTitles_[random_() % recentTitles_.size()];
    } else {
        topic.title = NewTitle();
        recentTitles_.push_back(topic.title);
        if (recentTitles_.size() > 200) recentTitles_.erase(recentTitles_.begin());
    }
    topic.tag = std::array<const char*, 3>{"new", "hot", ""}[random_() % 3];
    // Douyin rows carry their video links; the others a search link.
    topic.link = source == 3 ? "https://video.example.invalid/share/" + std::to_string(nextId_) +
                                   "|https://video.example.invalid/play/" + std::to_string(nextId_)
                             : "https://search.example.invalid/?q=" + std::to_string(nextId_);
    topic.hot = 1'000'000 + static_cast<std::int64_t>(random_() % 4'000'000);
    return topic;
}

void SyntheticBoards::Step(int source) {
    std::vector<Topic>& board = boards_[source];
    // The pinned row of Weibo stays where it is.
    const int first = source == 0 ? 1 : 0;
    const int swaps = 1 + static_cast<int>(random_() % 2);
    for (int i = 0; i < swaps; ++i) {
        const int at = first + static_cast<int>(random_() % (kRows - first - 1));
        std::swap(board[at], board[at + 1]);
    }
    if (std::uniform_real_distribution<>(0, 1)(random_) < kNewPerFetch) {
        const int at = first + static_cast<int>(random_() % (kRows - first));
        Topic topic = NewTopic(source);
        const bool shown = std::any_of(board.begin(), board.end(),
                                       [&](const Topic& t) { return t.title == topic.title; });
        if (!shown) {
            board.insert(board.begin() + at, std::move(topic));
            board.pop_back();
        }
    }
    const auto evergreen = std::find_if(board.begin(), board.end(),
                                        [](const Topic& t) { return t.title == kEvergreen; });
    if (evergreen == board.end()) {
        board[5].title = kEvergreen;
    } else if (evergreen - board.begin() > 10) {
        std::iter_swap(evergreen, evergreen - 1);
    }
    for (Topic& topic : board) {
        topic.hot += static_cast<std::int64_t>(random_() % 20'001) - 10'000;
        // A new topic stops being new after two hours.
        if (++topic.age == 120 && topic.tag == "new") topic.tag = "";
    }
}

HistoryList SyntheticBoards::ListOf(int source) {
    HistoryList list{kSources[source], now_, random_() % 100 ? "主接口" : "备用接口1", {}};
    int rank = FirstRank(source);
    for (const Topic& topic : boards_[source])
        list.rows.push_back({rank++, topic.title, topic.tag, topic.hot, topic.link});
    return list;
}

std::array<HistoryList, 4> SyntheticBoards::NextMinute() {
    now_ += std::chrono::minutes(1);
    std::array<HistoryList, 4> lists;
    for (int source = 0; source < 4; ++source) {
        Step(source);
        lists[source] = ListOf(source);
    }
    return lists;
}

}  // namespace vantrel::bench
