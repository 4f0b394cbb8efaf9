#pragma once

#include <array>
#include <random>
#include <string>
#include <vector>

#include "history/history_types.h"

namespace vantrel::bench {

inline constexpr std::array<const char*, 4> kSources = {"weibo", "baidu", "toutiao", "douyin"};

// A title every source keeps near its top for the whole month: the longest
// series there is to draw.
inline const std::string kEvergreen = "全网持续关注的长期热点话题";

// Four boards of 50 refreshed every 60 s: each fetch swaps one or two
// neighbours, about 100 new topics a day per source come in at a random
// rank and push the last one off, a quarter of them a title another source
// already shows; hot values move every fetch, tags now and then.
class SyntheticBoards {
  public:
    explicit SyntheticBoards(HistoryTime start, unsigned seed = 23);

    // The next list of each source, one minute after the previous ones.
    std::array<HistoryList, 4> NextMinute();

  private:
    struct Topic {
        std::string title;
        std::string tag;
        std::string link;
        std::int64_t hot = 0;
        int age = 0;  // fetches on the board
    };
    std::string NewTitle();
    Topic NewTopic(int source);
    void Step(int source);
    HistoryList ListOf(int source);

    std::mt19937_64 random_;
    HistoryTime now_;
    std::array<std::vector<Topic>, 4> boards_;
    std::vector<std::string> recentTitles_;
    int nextId_ = 0;
};

}  // namespace vantrel::bench
