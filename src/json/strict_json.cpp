#include "json/strict_json.h"

#include <charconv>
#include <cstdint>

namespace vantrel {
namespace {

constexpr int kMaxDepth = 32;

class Reader {
  public:
    Reader(std::string_view text, JsonFault& fault) : text_(text), fault_(fault) {}

    std::optional<JsonValue> Document() {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;
        JsonValue value;
        if (!Value(value, 0)) return std::nullopt;
        SkipBlanks();
        if (at_ < text_.size()) {
            Fail("值之后还有多余的内容");
            return std::nullopt;
        }
        return value;
    }

  private:
    bool Fail(const char* what) {
        if (fault_.what.empty()) {
            // Counted up to the fault, so a message names what an editor shows.
            fault_.line = 1;
            fault_.column = 1;
            for (std::size_t i = 0; i < at_ && i < text_.size(); ++i) {
                const auto byte = static_cast<unsigned char>(text_[i]);
                if (text_[i] == '\n') {
                    ++fault_.line;
                    fault_.column = 1;
                } else if ((byte & 0xC0) != 0x80) {
                    ++fault_.column;
                }
            }
            fault_.what = what;
        }
        return false;
    }

    // At the end of the text the fault is that it ended, whatever was wanted there.
    bool Expected(const char* what) { return Fail(at_ >= text_.size() ? "内容意外结束" : what); }

    void SkipBlanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }

    bool Literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    bool Value(JsonValue& value, int depth) {
        SkipBlanks();
        if (at_ >= text_.size()) return Fail("内容意外结束");
        const char c = text_[at_];
        if (c == '{' || c == '[') {
            if (depth >= kMaxDepth) return Fail("嵌套过深");
            return c == '{' ? Object(value, depth + 1) : Array(value, depth + 1);
        }
        if (c == '"') {
            value.kind = JsonValue::Kind::kString;
            return String(value.text);
        }
        if (Literal("true") || Literal("false")) {
            value.kind = JsonValue::Kind::kBoolean;
            value.boolean = c == 't';
            return true;
        }
        if (Literal("null")) return true;
        if (c == '-' || (c >= '0' && c <= '9')) return Number(value);
        return Fail("此处应为一个值");
    }

    bool Digits() {
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9')
            ++at_;
        return at_ > start;
    }

    bool Number(JsonValue& value) {
        const std::size_t start = at_;
        if (text_[at_] == '-') ++at_;
        const std::size_t first = at_;
        if (!Digits()) return Fail("数字不完整");
        if (text_[first] == '0' && at_ - first > 1) {
            at_ = first;
            return Fail("数字不能以 0 开头");
        }
        if (at_ < text_.size() && text_[at_] == '.') {
            ++at_;
            if (!Digits()) return Fail("数字不完整");
        }
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
            if (!Digits()) return Fail("数字不完整");
        }
        value.kind = JsonValue::Kind::kNumber;
        // from_chars, unlike strtod, ignores the locale's decimal mark.
        std::from_chars(text_.data() + start, text_.data() + at_, value.number);
        return true;
    }

    std::nullopt_t HexFault() {
        Fail("\\u 之后应为四位十六进制数");
        return std::nullopt;
    }

    // Four hex digits after "\u".
    std::optional<std::uint32_t> Hex4() {
        if (text_.size() - at_ < 4) return HexFault();
        std::uint32_t unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_ + i];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return HexFault();
            unit = unit * 16 + static_cast<std::uint32_t>(digit);
        }
        at_ += 4;
        return unit;
    }

    static void AppendUtf8(std::string& out, std::uint32_t code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool Escape(std::string& out) {
        ++at_;  // the backslash
        if (at_ >= text_.size()) return Fail("内容意外结束");
        const char c = text_[at_++];
        switch (c) {
            case '"':
                out += '"';
                return true;
            case '\\':
                out += '\\';
                return true;
            case '/':
                out += '/';
                return true;
            case 'b':
                out += '\b';
                return true;
            case 'f':
                out += '\f';
                return true;
            case 'n':
                out += '\n';
                return true;
            case 'r':
                out += '\r';
                return true;
            case 't':
                out += '\t';
                return true;
            case 'u':
                break;
            default:
                --at_;
                return Fail("未知的转义");
        }
        std::optional<std::uint32_t> unit = Hex4();
        if (!unit) return false;
        if (*unit >= 0xDC00 && *unit <= 0xDFFF) return Fail("落单的代理项");
        if (*unit >= 0xD800 && *unit <= 0xDBFF) {
            if (!Literal("\\u")) return Fail("落单的代理项");
            std::optional<std::uint32_t> low = Hex4();
            if (!low) return false;
            if (*low < 0xDC00 || *low > 0xDFFF) return Fail("落单的代理项");
            *unit = 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00);
        }
        AppendUtf8(out, *unit);
        return true;
    }

    // One well-formed UTF-8 character (no overlong forms, no surrogates).
    bool Utf8Character(std::string& out) {
        const auto lead = static_cast<unsigned char>(text_[at_]);
        const int length = lead < 0x80                    ? 1
                           : lead >= 0xC2 && lead <= 0xDF ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 0;
        if (length == 0 || text_.size() - at_ < static_cast<std::size_t>(length))
            return Fail("不是 UTF-8 文本");
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int i = 1; i < length; ++i) {
            const auto byte = static_cast<unsigned char>(text_[at_ + i]);
            if ((byte & 0xC0) != 0x80) return Fail("不是 UTF-8 文本");
            code = (code << 6) | (byte & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return Fail("不是 UTF-8 文本");
        out.append(text_.substr(at_, static_cast<std::size_t>(length)));
        at_ += static_cast<std::size_t>(length);
        return true;
    }

    bool String(std::string& out) {
        ++at_;  // the opening quote
        while (true) {
            if (at_ >= text_.size()) return Fail("字符串没有结束");
            const char c = text_[at_];
            if (c == '"') {
                ++at_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return Fail("字符串中有控制字符");
            if (!(c == '\\' ? Escape(out) : Utf8Character(out))) return false;
        }
    }

    bool Array(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::kArray;
        ++at_;
        SkipBlanks();
        if (Literal("]")) return true;
        while (true) {
            value.items.emplace_back();
            if (!Value(value.items.back(), depth)) return false;
            SkipBlanks();
            if (Literal("]")) return true;
            if (!Literal(",")) return Expected("此处应为 ',' 或 ']'");
        }
    }

    bool Object(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::kObject;
        ++at_;
        SkipBlanks();
        if (Literal("}")) return true;
        while (true) {
            SkipBlanks();
            if (at_ >= text_.size() || text_[at_] != '"') return Expected("此处应为成员名");
            const std::size_t nameAt = at_;
            std::string name;
            if (!String(name)) return false;
            if (value.Member(name)) {
                at_ = nameAt;
                return Fail("成员名重复");
            }
            SkipBlanks();
            if (!Literal(":")) return Expected("此处应为 ':'");
            value.members.push_back(JsonMember{std::move(name), JsonValue{}});
            if (!Value(value.members.back().value, depth)) return false;
            SkipBlanks();
            if (Literal("}")) return true;
            if (!Literal(",")) return Expected("此处应为 ',' 或 '}'");
        }
    }

    std::string_view text_;
    JsonFault& fault_;
    std::size_t at_ = 0;
};

}  // namespace

const JsonValue* JsonValue::Member(std::string_view name) const {
    for (const auto& [key, value] : members) {
        if (key == name) return &value;
    }
    return nullptr;
}

std::optional<JsonValue> ReadStrictJson(std::string_view utf8, JsonFault& fault) {
    fault = {};
    return Reader(utf8, fault).Document();
}

std::string JsonFault::Text() const {
    return "第 " + std::to_string(line) + " 行第 " + std::to_string(column) + " 列：" + what;
}

}  // namespace vantrel
