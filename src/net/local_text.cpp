#include "net/local_text.h"

#include <algorithm>
#include <cstring>

#include "net/pending_messages.h"

namespace vantrel {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

unsigned char Byte(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
}

}  // namespace

std::size_t CharLength(std::string_view text, std::size_t i) {
    if (Byte(text, i) < 0x81) return 1;
    std::size_t rest = text.size() - i;
    if (rest >= 4 && IsDigit(text[i + 1]) && Byte(text, i + 2) >= 0x81 &&
        Byte(text, i + 2) <= 0xFE && IsDigit(text[i + 3])) {
        return 4;
    }
    return rest >= 2 ? 2 : 1;
}

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool MatchesAt(std::string_view text, std::size_t i, std::string_view needle, bool ignoreCase) {
    if (text.size() - i < needle.size()) return false;
    if (!ignoreCase) return std::memcmp(text.data() + i, needle.data(), needle.size()) == 0;
    // Fold only the text's single-byte characters: a trail byte that looks
    // like a letter belongs to another character.
    std::size_t j = 0;
    while (j < needle.size()) {
        std::size_t len = CharLength(text, i + j);
        if (len == 1) {
            if (FoldAscii(text[i + j]) != FoldAscii(needle[j])) return false;
            ++j;
            continue;
        }
        std::size_t n = std::min(len, needle.size() - j);
        if (std::memcmp(text.data() + i + j, needle.data() + j, n) != 0) return false;
        j += n;
    }
    return true;
}

// First match starting at a character boundary at or after from (0-based).
// boundary is a known boundary at or before from; it is advanced to the match,
// so callers that search on through the text never walk the same bytes twice.
std::size_t NextMatch(std::string_view text, std::string_view needle, std::size_t& boundary,
                      std::size_t from, bool ignoreCase) {
    if (needle.empty()) return kNone;
    while (boundary < from && boundary < text.size())
        boundary += CharLength(text, boundary);
    if (!ignoreCase) {
        // Let the library find each occurrence; only those that start on a
        // character boundary count. Comparing at every boundary instead
        // costs a call per byte of a page.
        for (std::size_t at = text.find(needle, boundary); at != kNone;
             at = text.find(needle, boundary)) {
            while (boundary < at)
                boundary += CharLength(text, boundary);
            if (boundary == at) return at;
        }
        return kNone;
    }
    for (; boundary + needle.size() <= text.size(); boundary += CharLength(text, boundary)) {
        if (MatchesAt(text, boundary, needle, ignoreCase)) return boundary;
    }
    return kNone;
}

std::size_t FirstMatch(std::string_view text, std::string_view needle, std::size_t from,
                       bool ignoreCase) {
    std::size_t boundary = 0;
    return NextMatch(text, needle, boundary, from, ignoreCase);
}

// Last match lying wholly within the first limit bytes. Boundaries come from
// the whole text: a head cut inside a character must not create new ones.
std::size_t LastMatch(std::string_view text, std::string_view needle, std::size_t limit,
                      bool ignoreCase) {
    std::size_t boundary = 0;
    std::size_t last = kNone;
    for (std::size_t m = NextMatch(text, needle, boundary, 0, ignoreCase);
         m != kNone && m + needle.size() <= limit;
         m = NextMatch(text, needle, boundary, m + 1, ignoreCase)) {
        last = m;
    }
    return last;
}

std::size_t FromPosition(long long position) {
    return position < 1 ? 0 : static_cast<std::size_t>(position - 1);
}

// The first (length - k) bytes, or none when k is not less than the length.
std::size_t HeadLength(std::string_view text, long long k) {
    return k >= static_cast<long long>(text.size()) ? 0 : text.size() - static_cast<std::size_t>(k);
}

// Calls piece(begin, end) for the text between successive non-overlapping
// matches, and rest(begin) for what follows the last one.
template <typename Piece>
std::size_t ForEachPiece(std::string_view text, std::string_view delimiter, bool ignoreCase,
                         Piece piece) {
    std::size_t boundary = 0;
    std::size_t begin = 0;
    for (std::size_t m = NextMatch(text, delimiter, boundary, 0, ignoreCase); m != kNone;
         m = NextMatch(text, delimiter, boundary, begin, ignoreCase)) {
        piece(begin, m);
        begin = m + delimiter.size();
    }
    return begin;
}

// Beyond this many bytes of items a cut stops: items may overlap, so a
// hostile text could otherwise ask for memory quadratic in its length.
constexpr std::size_t kMaxCutBytes = std::size_t{256} << 20;

}  // namespace

std::vector<std::string> SplitText(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> pieces;
    std::size_t rest = ForEachPiece(text, delimiter, false, [&](std::size_t b, std::size_t e) {
        pieces.emplace_back(text.substr(b, e - b));
    });
    if (rest < text.size()) pieces.emplace_back(text.substr(rest));
    return pieces;
}

std::vector<std::string> SplitCharacters(std::string_view text) {
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < text.size();) {
        bool crlf = text.compare(i, 2, "\r\n") == 0;
        std::size_t len = crlf ? 2 : CharLength(text, i);
        characters.emplace_back(text.substr(i, len));
        i += len;
    }
    return characters;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to,
                       bool ignoreCase) {
    std::string out;
    std::size_t rest = ForEachPiece(text, from, ignoreCase, [&](std::size_t b, std::size_t e) {
        out.append(text.substr(b, e - b)).append(to);
    });
    out.append(text.substr(rest));
    return out;
}

int Find(std::string_view text, std::string_view needle, int start, bool ignoreCase) {
    std::size_t m = FirstMatch(text, needle, FromPosition(start), ignoreCase);
    return m == kNone ? -1 : static_cast<int>(m + 1);
}

std::string TextBefore(std::string_view text, std::string_view marker, int start, bool ignoreCase) {
    std::size_t m;
    if (start >= 0) {
        m = FirstMatch(text, marker, FromPosition(start), ignoreCase);
    } else {
        long long k = -static_cast<long long>(start);
        m = LastMatch(text, marker, k == 1 ? text.size() : HeadLength(text, k), ignoreCase);
    }
    return m == kNone ? std::string() : std::string(text.substr(0, m));
}

std::string TextAfter(std::string_view text, std::string_view marker, int start, bool ignoreCase) {
    std::size_t m;
    if (start >= 0) {
        m = LastMatch(text, marker, HeadLength(text, start), ignoreCase);
    } else {
        long long k = -static_cast<long long>(start);
        m = FirstMatch(text, marker, k == 1 ? 0 : FromPosition(k), ignoreCase);
    }
    return m == kNone ? std::string() : std::string(text.substr(m + marker.size()));
}

std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start, bool ignoreCase) {
    // "#引号" in GB18030: the way callers write a double quote in a marker.
    constexpr std::string_view kQuote = "#\xD2\xFD\xBA\xC5";
    std::string l = ReplaceAll(left, kQuote, "\"");
    std::string r = ReplaceAll(right, kQuote, "\"");
    std::size_t boundary = 0;
    std::size_t p = NextMatch(text, l, boundary, FromPosition(start), ignoreCase);
    if (p == kNone) return {};
    p += l.size();
    std::size_t q = NextMatch(text, r, boundary, p, ignoreCase);
    if (q == kNone) return {};
    return std::string(text.substr(p, q - p));
}

std::string CapitalizeFirst(std::string_view text) {
    std::string out(text);
    if (!out.empty() && out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 32);
    return out;
}

std::string TrimBlanks(std::string_view text) {
    // Walks whole characters, so the tail of a two-byte character followed by
    // 0xA1 never passes for a full-width blank.
    auto blankAt = [&](std::size_t i, std::size_t len) {
        return (len == 1 && text[i] == ' ') ||
               (len == 2 && Byte(text, i) == 0xA1 && Byte(text, i + 1) == 0xA1);
    };
    std::size_t begin = 0;
    while (begin < text.size() && blankAt(begin, CharLength(text, begin))) {
        begin += CharLength(text, begin);
    }
    std::size_t end = begin;
    for (std::size_t i = begin; i < text.size();) {
        std::size_t len = CharLength(text, i);
        i += len;
        if (!blankAt(i - len, len)) end = i;
    }
    return std::string(text.substr(begin, end - begin));
}

std::vector<std::string> CutAllBetween(std::string_view text, std::string_view left,
                                       std::string_view right, const CutOptions& options) {
    std::vector<std::string> items;
    std::size_t bytes = 0;
    std::size_t leftBoundary = 0;
    std::size_t rightBoundary = 0;
    std::size_t r = kNone;
    std::size_t from = FromPosition(options.start);
    for (;;) {
        std::size_t l = NextMatch(text, left, leftBoundary, from, options.ignoreCase);
        if (l == kNone) break;
        std::size_t itemStart = l + left.size();
        // The previous right marker is still the first one at or after this
        // item's start when it lies beyond it; searching again from there
        // keeps overlapping cuts linear.
        if (r == kNone || r < itemStart) {
            rightBoundary = std::max(rightBoundary, leftBoundary);
            r = NextMatch(text, right, rightBoundary, itemStart, options.ignoreCase);
            if (r == kNone) break;
        }
        std::string item;
        if (options.withLeft) item.append(left);
        item.append(options.prefix).append(text.substr(itemStart, r - itemStart));
        item.append(options.suffix);
        if (options.withRight) item.append(right);
        if (options.maxLength <= 0 || item.size() < static_cast<std::size_t>(options.maxLength)) {
            bytes += item.size();
            if (bytes > kMaxCutBytes) break;
            items.push_back(std::move(item));
        }
        for (int i = 0; i < 3; ++i)
            ProcessPendingMessages();
        from = itemStart;
    }
    return items;
}

}  // namespace vantrel
