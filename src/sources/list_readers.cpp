#include "sources/list_readers.h"

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

std::string Item(const std::string& array, int k) {
    return array + "[" + std::to_string(k) + "]";
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
        const std::string group = "cards[0]['card_group']";
        const int count = json.GetCount(group);
        for (int k = 0; k < count; ++k) {
            ListEntry entry;
            entry.title = json.GetText(Item(group, k) + ".desc", false);
            entry.tag =
                TextBetween(json.GetText(Item(group, k) + ".icon", false), "_", "_small.png");
            entries.push_back(std::move(entry));
        }
    });
}

bool ReadWeiboSideHot(const std::string& text, std::vector<ListEntry>& entries) {
    return WithDocument(text, [&](JsonObject& json) {
        const int count = json.GetCount("data.realtime");
        for (int k = 0; k < count; ++k) {
            const std::string item = Item("data.realtime", k);
            if (IsMarked(json.GetText(item + ".is_ad", false))) continue;
            ListEntry entry;
            entry.title = json.GetText(item + ".word", false);
            entry.tag = TagFromLabel(json.GetText(item + ".label_name", false));
            entries.push_back(std::move(entry));
        }
    });
}

bool ReadBaiduData(const std::string& text, std::vector<ListEntry>& entries) {
    return WithDocument(text, [&](JsonObject& json) {
        const std::string array = BaiduEntries(json);
        const int count = array.empty() ? 0 : json.GetCount(array);
        for (int k = 0; k < count; ++k) {
            const std::string item = Item(array, k);
            ListEntry entry;
            entry.title = json.GetText(item + ".word", false);
            entry.tag = json.GetText(item + ".hotTag", false);
            entry.description = json.GetText(item + ".desc", false);
            entries.push_back(std::move(entry));
        }
    });
}

bool ReadToutiaoHotBoard(const std::string& text, std::vector<ListEntry>& entries) {
    return WithDocument(text, [&](JsonObject& json) {
        const int count = json.GetCount("data");
        for (int k = 0; k < count; ++k) {
            ListEntry entry;
            entry.title = json.GetText(Item("data", k) + ".Title", false);
            const std::string id =
                LinkSafeId(json.GetText(Item("data", k) + ".ClusterIdStr", false));
            if (!id.empty())
                entry.page =
                    ServiceUrl(ServiceHost::kToutiaoHome, "https", "/trending/" + id + "/");
            entries.push_back(std::move(entry));
        }
    });
}

bool ReadDouyinBillboard(const std::string& text, std::vector<ListEntry>& entries) {
    return WithDocument(text, [&](JsonObject& json) {
        const int count = json.GetCount("billboard_data");
        for (int k = 0; k < count; ++k) {
            const std::string item = "['billboard_data'][" + std::to_string(k) + "]";
            ListEntry entry;
            entry.title = json.GetText(Item("billboard_data", k) + ".title", false);
            const int n = json.GetCount(item + "['extra_list']");
            // Each link goes in front, so the stored order is the reverse of the answer's.
            std::string links;
            for (int j = 0; j < n; ++j)
                links =
                    json.GetText(Item(item + "['extra_list']", j) + ".link", false) + "|" + links;
            const std::size_t last = links.rfind('|');
            entry.links = last == std::string::npos ? std::string() : links.substr(0, last);
            entries.push_back(std::move(entry));
        }
    });
}

bool ReadDouyinWordList(const std::string& text, std::vector<ListEntry>& entries) {
    return WithDocument(text, [&](JsonObject& json) {
        const int count = json.GetCount("data.word_list");
        for (int k = 0; k < count; ++k) {
            const std::string item = Item("data.word_list", k);
            ListEntry entry;
            entry.title = json.GetText(item + ".word", false);
            const std::string id = LinkSafeId(json.GetText(item + ".sentence_id", false));
            if (!id.empty())
                entry.page = ServiceUrl(ServiceHost::kDouyinWww, "https", "/hot/" + id);
            entries.push_back(std::move(entry));
        }
    });
}

}  // namespace vantrel
