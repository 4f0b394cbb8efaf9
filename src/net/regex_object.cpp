#include "net/regex_object.h"

#include <pcre2.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "net/code_page.h"
#include "net/local_text.h"

namespace vantrel {
namespace {

// "#引号" in local text: the placeholder by which a double quote is written
// inside a pattern.
constexpr std::string_view kQuoteMarker = "#\xD2\xFD\xBA\xC5";

struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// The subject in UTF-8 for PCRE2, with the local byte offset of every UTF-8
// character start (and of the end), so that matches map back exactly.
struct MappedSubject {
    std::string utf8;
    std::vector<std::size_t> localAt;  // indexed by UTF-8 offset; valid at character starts
};

MappedSubject MapSubject(std::string_view local) {
    MappedSubject mapped;
    mapped.localAt.reserve(local.size() * 2 + 1);
    std::size_t localOffset = 0;
    // One character at a time: whatever the converter does with a malformed
    // sequence, each piece's UTF-8 maps back to that piece.
    for (const std::string& piece : SplitCharacters(local)) {
        // ASCII is the same in both; asking the converter for each of
        // thousands of characters would cost most of a search.
        std::string utf8 = static_cast<unsigned char>(piece[0]) < 0x80 ? piece : ToUtf8(piece);
        // CR LF comes as one piece but is two characters on both sides.
        const bool sameBytes = utf8 == piece;
        for (std::size_t i = 0; i < utf8.size(); ++i)
            mapped.localAt.push_back(localOffset + (sameBytes ? i : 0));
        mapped.utf8 += utf8;
        localOffset += piece.size();
    }
    mapped.localAt.push_back(localOffset);
    return mapped;
}

using Code = std::unique_ptr<pcre2_code, decltype(&pcre2_code_free)>;
using MatchData = std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)>;

struct CompileError {
    int code = 0;
    PCRE2_SIZE offset = 0;  // in the UTF-8 pattern
    std::string utf8Pattern;
};

Code Compile(std::string_view local, bool caseSensitive, bool multiline,
             CompileError* failure = nullptr) {
    CompileError error;
    error.utf8Pattern = ToUtf8(local);
    uint32_t options = PCRE2_UTF;
    if (!caseSensitive) options |= PCRE2_CASELESS;
    if (multiline) options |= PCRE2_MULTILINE;
    Code code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(error.utf8Pattern.data()),
                            error.utf8Pattern.size(), options, &error.code, &error.offset, nullptr),
              &pcre2_code_free);
    if (failure) *failure = std::move(error);
    return code;
}

// Length of the UTF-8 character that starts at offset (1 past the end too).
std::size_t Utf8CharLength(std::string_view utf8, std::size_t offset) {
    if (offset >= utf8.size()) return 1;
    auto lead = static_cast<unsigned char>(utf8[offset]);
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

}  // namespace

std::optional<PatternFault> FindPatternFault(std::string_view pattern, bool caseSensitive,
                                             bool multiline) {
    CompileError error;
    if (Compile(pattern, caseSensitive, multiline, &error)) return std::nullopt;
    PatternFault fault;
    PCRE2_UCHAR message[256];
    if (pcre2_get_error_message(error.code, message, sizeof message) > 0)
        fault.message = reinterpret_cast<const char*>(message);
    // Characters, not bytes, up to the offset: what a person counts.
    const std::string_view before =
        std::string_view(error.utf8Pattern)
            .substr(0, std::min(error.offset, error.utf8Pattern.size()));
    fault.position = 1;
    for (const char c : before) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++fault.position;
    }
    return fault;
}

struct RegexObject::State {
    struct Match {
        Span whole;
        std::vector<std::optional<Span>> groups;
    };
    std::string pattern;
    std::string subject;
    std::vector<Match> matches;
    bool compiled = false;

    std::string Text(Span span) const { return subject.substr(span.begin, span.end - span.begin); }
};

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(const RegexObject&) = default;
RegexObject& RegexObject::operator=(const RegexObject&) = default;
RegexObject::RegexObject(RegexObject&&) noexcept = default;
RegexObject& RegexObject::operator=(RegexObject&&) noexcept = default;

bool RegexObject::Search(std::string_view pattern, std::string_view subject, bool caseSensitive,
                         bool multiline, bool global, bool quoteMarker) {
    auto state = std::make_shared<State>();
    state->pattern = quoteMarker ? ReplaceAll(pattern, kQuoteMarker, "\"") : std::string(pattern);
    state->subject = std::string(subject.substr(0, subject.find('\0')));
    state_ = state;

    Code code = Compile(state->pattern, caseSensitive, multiline);
    if (!code) return false;
    state->compiled = true;

    MappedSubject mapped = MapSubject(state->subject);
    MatchData data(pcre2_match_data_create_from_pattern(code.get(), nullptr),
                   &pcre2_match_data_free);
    if (!data) return false;
    auto* text = reinterpret_cast<PCRE2_SPTR>(mapped.utf8.data());
    uint32_t groupCount = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &groupCount);

    for (std::size_t from = 0; from <= mapped.utf8.size();) {
        int rc = pcre2_match(code.get(), text, mapped.utf8.size(), from, 0, data.get(), nullptr);
        if (rc < 0) break;  // no further match, or the engine gave up (treated alike)
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        State::Match match;
        match.whole = {mapped.localAt[ovector[0]], mapped.localAt[ovector[1]]};
        for (uint32_t g = 1; g <= groupCount; ++g) {
            if (static_cast<int>(g) < rc && ovector[2 * g] != PCRE2_UNSET)
                match.groups.push_back(
                    Span{mapped.localAt[ovector[2 * g]], mapped.localAt[ovector[2 * g + 1]]});
            else
                match.groups.push_back(std::nullopt);
        }
        state->matches.push_back(std::move(match));
        if (!global) break;
        // An empty match moves the search on by one character, so it ends.
        from = ovector[1] > ovector[0] ? ovector[1]
                                       : ovector[1] + Utf8CharLength(mapped.utf8, ovector[1]);
    }
    return true;
}

std::string RegexObject::GetPattern() const {
    return state_ ? state_->pattern : std::string();
}

std::string RegexObject::SubstituteAll(std::string_view replacement) const {
    if (!state_ || !state_->compiled) return {};
    const State& s = *state_;
    std::string out;
    std::size_t copied = 0;
    for (const State::Match& match : s.matches) {
        out.append(s.subject, copied, match.whole.begin - copied);
        for (std::size_t i = 0; i < replacement.size(); ++i) {
            char next = i + 1 < replacement.size() ? replacement[i + 1] : '\0';
            if (replacement[i] != '$' || next == '\0') {
                out += replacement[i];
            } else if (next == '$') {
                out += '$', ++i;
            } else if (next == '&') {
                out += s.Text(match.whole), ++i;
            } else if (next == '`') {
                out.append(s.subject, 0, match.whole.begin), ++i;
            } else if (next == '\'') {
                out.append(s.subject, match.whole.end), ++i;
            } else if (next >= '0' && next <= '9') {
                // Two digits when they name a group, else one; "$0" is no group.
                std::size_t groups = match.groups.size();
                std::size_t number = static_cast<std::size_t>(next - '0');
                std::size_t used = 1;
                char second = i + 2 < replacement.size() ? replacement[i + 2] : '\0';
                if (second >= '0' && second <= '9' &&
                    number * 10 + static_cast<std::size_t>(second - '0') <= groups) {
                    number = number * 10 + static_cast<std::size_t>(second - '0');
                    used = 2;
                }
                if (number == 0 || number > groups) {
                    out += '$';
                    continue;
                }
                if (match.groups[number - 1]) out += s.Text(*match.groups[number - 1]);
                i += used;
            } else {
                out += '$';
            }
        }
        copied = match.whole.end;
    }
    out.append(s.subject, copied);
    return out;
}

int RegexObject::MatchCount() const {
    return state_ ? static_cast<int>(state_->matches.size()) : 0;
}

std::string RegexObject::MatchText(int index, int* bytePosition) const {
    if (bytePosition) *bytePosition = -1;
    if (index < 1 || index > MatchCount()) return {};
    Span span = state_->matches[static_cast<std::size_t>(index - 1)].whole;
    if (bytePosition) *bytePosition = static_cast<int>(span.begin);
    return state_->Text(span);
}

std::string RegexObject::SubMatchText(int index, int group, int* bytePosition) const {
    if (bytePosition) *bytePosition = -1;
    if (index < 1 || index > MatchCount()) return {};
    const auto& groups = state_->matches[static_cast<std::size_t>(index - 1)].groups;
    if (group < 1 || group > static_cast<int>(groups.size())) return {};
    const auto& span = groups[static_cast<std::size_t>(group - 1)];
    if (!span) return {};
    if (bytePosition) *bytePosition = static_cast<int>(span->begin);
    return state_->Text(*span);
}

int RegexObject::SubMatchCount() const {
    if (MatchCount() == 0) return 0;
    return static_cast<int>(state_->matches.front().groups.size());
}

}  // namespace vantrel
