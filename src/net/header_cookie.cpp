#include "net/header_cookie.h"

#include <unordered_set>
#include <vector>

#include "net/local_text.h"

namespace vantrel {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kCookieSeparator = "; ";

// Joins pieces, each followed by delimiter, without the final delimiter.
template <typename Keep>
std::string JoinKept(const std::vector<std::string>& pieces, std::string_view delimiter,
                     Keep keep) {
    std::string out;
    for (const std::string& piece : pieces) {
        if (keep(piece)) out.append(piece).append(delimiter);
    }
    if (out.size() >= delimiter.size()) out.resize(out.size() - delimiter.size());
    return out;
}

std::string NormalizeName(std::string_view name) {
    if (Find(name, "-") == -1) return CapitalizeFirst(name);
    std::string out;
    for (const std::string& word : SplitText(name, "-")) {
        out.append(CapitalizeFirst(word)).push_back('-');
    }
    out.pop_back();  // a name holding "-" has at least one non-empty piece
    return out;
}

// Trimmed, and with a blank added after a final ";" so that the last item
// splits off as well.
std::string TidyCookieList(std::string_view list) {
    std::string out = TrimBlanks(list);
    if (!out.empty() && out.back() == ';') out.push_back(' ');
    return out;
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

std::string NormalizeHeaderNames(std::string_view block) {
    std::string out;
    for (const std::string& line : SplitText(block, kCrLf)) {
        if (Find(line, ":") == -1) continue;
        std::string name = NormalizeName(TextBefore(line, ":"));
        // Rebuilding a name that ends in "-" drops that "-"; taking the rest
        // from the end of the line puts it back in front of the colon.
        out.append(name).append(std::string_view(line).substr(name.size())).append(kCrLf);
    }
    if (!out.empty()) out.resize(out.size() - kCrLf.size());
    return out;
}

std::string HeaderValue(std::string_view block, std::string_view name) {
    for (const std::string& line : SplitText(block, kCrLf)) {
        if (std::string_view(line).substr(0, name.size()) == name) {
            return TextAfter(line, std::string(name) + ": ");
        }
    }
    return {};
}

void CollectSetCookies(std::string_view line, std::string& list) {
    if (TextBefore(line, ": ") != "Set-Cookie") return;
    std::string item = Find(line, ";") == -1 ? ReplaceAll(line, "Set-Cookie:", "", true)
                                             : TextBetween(line, "Set-Cookie:", ";");
    list.append(TrimBlanks(item)).append(kCookieSeparator);
}

std::string CookieName(std::string_view item) {
    return TrimBlanks(Find(item, "=") == -1 ? std::string(item) : TextBefore(item, "="));
}

std::string MergeCookies(std::string& old, std::string_view fresh) {
    std::vector<std::string> oldItems = SplitText(TidyCookieList(old), kCookieSeparator);
    std::vector<std::string> items = SplitText(TidyCookieList(fresh), kCookieSeparator);
    std::unordered_set<std::string> names;
    for (const std::string& item : items)
        names.insert(CookieName(item));
    // An old item joins the list it is compared against, so of two old items
    // with one name only the first is kept.
    for (std::string& item : oldItems) {
        if (names.insert(CookieName(item)).second) items.push_back(std::move(item));
    }
    std::string merged = JoinKept(items, kCookieSeparator, [](const std::string& item) {
        return !EndsWith(item, "=deleted");
    });
    old = RemoveDuplicates(merged, kCookieSeparator, true);
    return old;
}

std::string RemoveDuplicates(std::string_view text, std::string_view delimiter, bool byDelimiter) {
    std::vector<std::string> pieces =
        byDelimiter ? SplitText(text, delimiter) : SplitCharacters(text);
    std::unordered_set<std::string> seen;
    return JoinKept(pieces, delimiter,
                    [&](const std::string& piece) { return seen.insert(piece).second; });
}

}  // namespace vantrel
