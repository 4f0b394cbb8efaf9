#include "sources/list_readers.h"

#include <array>

#include "json/json_object.h"
#include "net/code_page.h"
#include "net/local_text.h"
#include "sources/service_hosts.h"

namespace vantrel {
namespace {

// Parses text and hands the document to read; false when it does not parse.
template <typename Read>
bool WithDocument(const std::string& text, Read read) {
    JsonObject json = JsonObject::Create();
    JsonError error;
    const bool parsed = json.Load(text, false, error, false);
    if (parsed) read(json);
    json.Destroy();
    return parsed;
}

// The named members of every element of the array, one fixed-size row each,
// so a reader can take them apart by name.
template <std::size_t N>
std::vector<std::array<std::string, N>> Rows(JsonObject& json, const std::string& array,
                                             const std::array<std::string, N>& names) {
    std::vector<std::array<std::string, N>> rows;
    for (std::vector<std::string>& texts :
         json.GetElementTexts(array, std::vector<std::string>(names.begin(), names.end()))) {
        std::array<std::string, N>& row = rows.emplace_back();
        std::move(texts.begin(), texts.end(), row.begin());
    }
    return rows;
}

// The side bar names its tags with one character; the list's markers go by
// the mobile API's icon words.
std::string TagFromLabel(const std::string& label) {
    static const std::pair<std::string, const char*> kLabels[] = {
        {Utf8ToLocal("热"), "hot"}, {Utf8ToLocal("新"), "new"},  {Utf8ToLocal("荐"), "jian_yellow"},
        {Utf8ToLocal("沸"), "fei"}, {Utf8ToLocal("爆"), "boom"},
    };
    for (const auto& [name, tag] : kLabels)
        if (label == name) return tag;
    return {};
}

bool IsMarked(const std::string& flag) {
    return !flag.empty() && flag != "0" && flag != "false";
}

// The documented array, unless it only wraps the entries one level down;
// else the first of the other known places that holds any.
std::string BaiduEntries(JsonObject& json) {
    const std::string documented = "data.cards[0].content";
    if (json.GetCount(documented) > 0 && json.TypeOf(documented + "[0].content") != kJsonArray)
        return documented;
    for (const char* array : {"data.cards[0].content[0].content", "cards[0].content"}) {
        if (json.GetCount(array) > 0) return array;
    }
    return {};
}

}  // namespace

std::string LinkSafeId(const std::string& id) {
    std::string safe;
    for (char c : id) {
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
            c == '_' || c == '-')
            safe += c;
    }
    return safe;
}

bool ReadWeiboCards(const std::string& text, std::vector<ListEntry>& entries) {
    return WithDocument(text, [&](JsonObject& json) {
        for (auto& [desc, icon] : Rows<2>(json, "cards[0]['card_group']", {"desc", "icon"})) {
            ListEntry entry;
            entry.title = std::move(desc);
            entry.tag = TextBetween(icon, "_", "_small.png");
            entries.push_back(std::move(entry));
        }
    });
}

bool ReadWeiboSideHot(const std::string& text, std::vector<ListEntry>& entries) {
    return WithDocument(text, [&](JsonObject& json) {
        for (auto& [ad, word, label] :
             Rows<3>(json, "data.realtime", {"is_ad", "word", "label_name"})) {
            if (IsMarked(ad)) continue;
            ListEntry entry;
            entry.title = std::move(word);
            entry.tag = TagFromLabel(label);
            entries.push_back(std::move(entry));
        }
    });
}

bool ReadBaiduData(const std::string& text, std::vector<ListEntry>& entries) {
    return WithDocument(text, [&](JsonObject& json) {
        const std::string array = BaiduEntries(json);
        if (array.empty()) return;
        for (auto& [word, tag, desc] : Rows<3>(json, array, {"word", "hotTag", "desc"})) {
            ListEntry entry;
            entry.title = std::move(word);
            entry.tag = std::move(tag);
            entry.description = std::move(desc);
            entries.push_back(std::move(entry));
        }
    });
}

bool ReadToutiaoHotBoard(const std::string& text, std::vector<ListEntry>& entries) {
    return WithDocument(text, [&](JsonObject& json) {
        for (auto& [title, cluster] : Rows<2>(json, "data", {"Title", "ClusterIdStr"})) {
            ListEntry entry;
            entry.title = std::move(title);
            const std::string id = LinkSafeId(cluster);
            if (!id.empty())
                entry.page =
                    ServiceUrl(ServiceHost::kToutiaoHome, "https", "/trending/" + id + "/");
            entries.push_back(std::move(entry));
        }
    });
}

bool ReadDouyinBillboard(const std::string& text, std::vector<ListEntry>& entries) {
    return WithDocument(text, [&](JsonObject& json) {
        const auto titles = Rows<1>(json, "billboard_data", {"title"});
        const auto extras = json.GetNestedElementTexts("billboard_data", "extra_list", {"link"});
        for (std::size_t k = 0; k < titles.size(); ++k) {
            ListEntry entry;
            entry.title = titles[k][0];
            // Stored in the reverse of the answer's order, "|" between links.
            if (k < extras.size()) {
                for (auto link = extras[k].rbegin(); link != extras[k].rend(); ++link)
                    entry.links += (link == extras[k].rbegin() ? "" : "|") + (*link)[0];
            }
            entries.push_back(std::move(entry));
        }
    });
}

bool ReadDouyinWordList(const std::string& text, std::vector<ListEntry>& entries) {
    return WithDocument(text, [&](JsonObject& json) {
        for (auto& [word, sentence] : Rows<2>(json, "data.word_list", {"word", "sentence_id"})) {
            ListEntry entry;
            entry.title = std::move(word);
            const std::string id = LinkSafeId(sentence);
            if (!id.empty())
                entry.page = ServiceUrl(ServiceHost::kDouyinWww, "https", "/hot/" + id);
            entries.push_back(std::move(entry));
        }
    });
}

}  // namespace vantrel
