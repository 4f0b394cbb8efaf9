#include "json/engine_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "net/code_page.h"

namespace vantrel {
namespace {

std::string_view UpToFirstZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// Calls unit(u) for each UTF-16 code unit of local text.
template <class Sink>
void ForEachUnit(std::string_view local, Sink&& unit) {
    std::string utf16 = ToUtf16(local, true);
    for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
        unit(static_cast<std::uint16_t>(static_cast<unsigned char>(utf16[i]) |
                                        static_cast<unsigned char>(utf16[i + 1]) << 8));
    }
}

void AppendUnitAsUtf8(std::string& out, std::uint32_t unit) {
    if (unit < 0x80) {
        out += static_cast<char>(unit);
    } else if (unit < 0x800) {
        out += static_cast<char>(0xC0 | unit >> 6);
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | unit >> 12);
        out += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    }
}

void AppendCodePointAsUtf8(std::string& out, std::uint32_t point) {
    if (point < 0x10000) {
        AppendUnitAsUtf8(out, point);
        return;
    }
    out += static_cast<char>(0xF0 | point >> 18);
    out += static_cast<char>(0x80 | (point >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
}

// Decodes one sequence at text[i] (advancing i) the way the engine writes
// them; a malformed byte decodes as U+FFFD and costs one byte.
std::uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    std::size_t extra = lead >= 0xF0 && lead < 0xF8   ? 3
                        : lead >= 0xE0 && lead < 0xF0 ? 2
                        : lead >= 0xC0 && lead < 0xE0 ? 1
                                                      : 0;
    if (extra == 0 || text.size() - i <= extra) {
        ++i;
        return 0xFFFD;
    }
    std::uint32_t point = lead & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        point = point << 6 | (byte(i + k) & 0x3F);
    }
    i += extra + 1;
    return point > 0x10FFFF ? 0xFFFD : point;
}

}  // namespace

std::string LocalToEngine(std::string_view local) {
    local = UpToFirstZero(local);
    if (IsAscii(local)) return std::string(local);
    // The converter's UTF-8 is valid, and it equals the engine's form except
    // that a character beyond U+FFFF (a four-byte sequence) becomes two
    // surrogates.
    std::string utf8 = ToUtf8(local);
    // A plain loop: find_first_of calls memchr once per byte of the text.
    const auto beyondBmp = [](char c) { return static_cast<unsigned char>(c) >= 0xF0; };
    if (std::none_of(utf8.begin(), utf8.end(), beyondBmp)) return utf8;
    std::string out;
    out.reserve(utf8.size() + 8);
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0xF0) {
            out += utf8[i++];
            continue;
        }
        const std::uint32_t point = NextCodePoint(utf8, i) - 0x10000;
        AppendUnitAsUtf8(out, 0xD800 | point >> 10);
        AppendUnitAsUtf8(out, 0xDC00 | (point & 0x3FF));
    }
    return out;
}

std::string_view AsEngineText(std::string_view local, std::string& storage) {
    local = UpToFirstZero(local);
    if (IsAscii(local)) return local;
    storage = LocalToEngine(local);
    return storage;
}

std::string EngineToLocal(std::string_view engine) {
    engine = UpToFirstZero(engine);
    if (IsAscii(engine)) return std::string(engine);
    // To plain UTF-8 first: a surrogate pair becomes its character, a lone
    // surrogate U+FFFD, as the converter from UTF-16 would make them.
    std::string utf8;
    utf8.reserve(engine.size());
    for (std::size_t i = 0; i < engine.size();) {
        std::uint32_t point = NextCodePoint(engine, i);
        if (point >= 0xD800 && point < 0xDC00) {
            std::size_t next = i;
            const std::uint32_t low = next < engine.size() ? NextCodePoint(engine, next) : 0;
            if (low >= 0xDC00 && low < 0xE000) {
                point = 0x10000 + ((point - 0xD800) << 10) + (low - 0xDC00);
                i = next;
            } else {
                point = 0xFFFD;
            }
        } else if (point >= 0xDC00 && point < 0xE000) {
            point = 0xFFFD;
        }
        AppendCodePointAsUtf8(utf8, point);
    }
    return Utf8ToLocal(utf8);
}

void UnmarkBackslashes(std::string& engine) {
    static constexpr std::string_view kMark = "\xE2\x90\x80";  // U+2400
    std::size_t at = engine.find(kMark);
    if (at == std::string::npos) return;
    std::size_t out = at;
    while (at < engine.size()) {
        if (engine.compare(at, kMark.size(), kMark) == 0) {
            engine[out++] = '\\';
            at += kMark.size();
        } else {
            engine[out++] = engine[at++];
        }
    }
    engine.resize(out);
}

std::string QuoteLiteral(std::string_view local) {
    local = UpToFirstZero(local);
    std::string out = "'";
    out.reserve(local.size() + 2);
    auto append = [&](std::uint16_t unit) {
        switch (unit) {
            case '\\':
                out += "\\\\";
                return;
            case '\'':
                out += "\\'";
                return;
            case '"':
                out += "\\\"";
                return;
            case '\r':
                out += "\\r";
                return;
            case '\n':
                out += "\\n";
                return;
            default:
                break;
        }
        if (unit >= 0x20 && unit < 0x7F) {
            out += static_cast<char>(unit);
            return;
        }
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
        out += escape;
    };
    if (IsAscii(local)) {
        for (char c : local)
            append(static_cast<unsigned char>(c));
    } else {
        ForEachUnit(local, append);
    }
    out += '\'';
    return out;
}

}  // namespace vantrel
