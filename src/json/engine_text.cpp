#include "json/engine_text.h"

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

void AppendUtf16Le(std::string& out, std::uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
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
    std::string out;
    out.reserve(local.size() * 3 / 2);
    ForEachUnit(local, [&](std::uint16_t unit) { AppendUnitAsUtf8(out, unit); });
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
    std::string utf16;
    utf16.reserve(engine.size() * 2);
    for (std::size_t i = 0; i < engine.size();) {
        std::uint32_t point = NextCodePoint(engine, i);
        if (point > 0xFFFF) {
            point -= 0x10000;
            AppendUtf16Le(utf16, 0xD800 | point >> 10);
            AppendUtf16Le(utf16, 0xDC00 | (point & 0x3FF));
        } else {
            AppendUtf16Le(utf16, point);
        }
    }
    // The converter turns a lone surrogate into U+FFFD; a pair becomes its character.
    return FromUtf16(utf16);
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
