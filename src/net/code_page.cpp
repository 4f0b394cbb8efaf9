#include "net/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iterator>

#include "net/local_text.h"

namespace vantrel {
namespace {

constexpr const char* kLocal = "GB18030";
constexpr const char* kUtf8 = "UTF-8";
// The LE form: iconv writes no byte-order mark and reads none.
constexpr const char* kUtf16 = "UTF-16LE";

// U+FFFD in each target encoding.
constexpr std::string_view kReplacementLocal{"\x84\x31\xA4\x37", 4};
constexpr std::string_view kReplacementUtf8{"\xEF\xBF\xBD", 3};
constexpr std::string_view kReplacementUtf16{"\xFD\xFF", 2};

std::string_view UpToFirstZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// One iconv descriptor per direction and thread, reset before each use.
// Input that iconv rejects (an invalid sequence, or one cut off at the end)
// costs one input unit and yields one replacement character, so conversion
// always runs to the end of the input.
class Converter {
  public:
    Converter(const char* to, const char* from, std::string_view replacement, std::size_t inputUnit)
        : cd_(iconv_open(to, from)), replacement_(replacement), inputUnit_(inputUnit) {}
    ~Converter() {
        if (Ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::string Run(std::string_view input) {
        std::string out;
        AppendRun(out, input);
        return out;
    }

    // Converts input onto the end of out, each failing byte as the
    // replacement; false when any byte failed.
    bool AppendRun(std::string& out, std::string_view input) {
        bool clean = true;
        if (!Ok() || input.empty()) return clean;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char chunk[16384];
        while (inLeft > 0) {
            char* outPtr = chunk;
            std::size_t outLeft = sizeof chunk;
            std::size_t r = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            int err = errno;
            out.append(chunk, static_cast<std::size_t>(outPtr - chunk));
            if (r != static_cast<std::size_t>(-1) || err == E2BIG) continue;
            out += replacement_;
            clean = false;
            std::size_t skip = std::min(inputUnit_, inLeft);
            in += skip;
            inLeft -= skip;
        }
        char* outPtr = chunk;
        std::size_t outLeft = sizeof chunk;
        iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
        out.append(chunk, static_cast<std::size_t>(outPtr - chunk));
        return clean;
    }

    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  private:
    iconv_t cd_;
    std::string_view replacement_;
    std::size_t inputUnit_;
};

// Copies the ASCII runs of at least kLongAscii bytes as they are (ASCII is
// the same in both encodings) and converts the stretches between them, so a
// mostly ASCII answer costs a few converter calls instead of one over every
// byte. charLength gives the bytes of the character at a position. Appends to
// out; false when the converter refused a byte.
template <class CharLength>
bool ConvertAroundAscii(Converter& converter, std::string_view text, CharLength charLength,
                        std::string& out) {
    constexpr std::size_t kLongAscii = 32;
    const auto ascii = [&](std::size_t i) { return static_cast<unsigned char>(text[i]) < 0x80; };
    out.reserve(out.size() + text.size() + text.size() / 2);
    bool clean = true;
    std::size_t stretch = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (!ascii(at)) {
            at += charLength(text, at);
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && ascii(end))
            ++end;
        if (end - at >= kLongAscii) {
            clean = converter.AppendRun(out, text.substr(stretch, at - stretch)) && clean;
            out.append(text.substr(at, end - at));
            stretch = end;
        }
        at = end;
    }
    return converter.AppendRun(out, text.substr(stretch)) && clean;
}

enum class Direction { kLocalToUtf16, kUtf16ToLocal, kUtf8ToLocal, kLocalToUtf8 };

Converter& ConverterFor(Direction direction) {
    thread_local Converter converters[] = {
        {kUtf16, kLocal, kReplacementUtf16, 1},
        {kLocal, kUtf16, kReplacementLocal, 2},
        {kLocal, kUtf8, kReplacementLocal, 1},
        {kUtf8, kLocal, kReplacementUtf8, 1},
    };
    return converters[static_cast<int>(direction)];
}

}  // namespace

std::string ToUtf16(std::string_view local, bool withoutTerminator) {
    std::string out = ConverterFor(Direction::kLocalToUtf16).Run(UpToFirstZero(local));
    // Valid or not, non-zero input never converts to a zero unit, so the
    // terminator is the only one.
    if (!out.empty() && !withoutTerminator) out.append(2, '\0');
    return out;
}

std::string FromUtf16(std::string_view utf16le) {
    std::size_t units = utf16le.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        if (utf16le[2 * i] == '\0' && utf16le[2 * i + 1] == '\0') {
            units = i;
            break;
        }
    }
    return ConverterFor(Direction::kUtf16ToLocal).Run(utf16le.substr(0, 2 * units));
}

std::string Utf8ToLocal(std::string_view utf8) {
    // No UTF-8 character holds an ASCII byte, so a sequence an ASCII byte
    // breaks off fails at the end of its stretch just as it would in one pass.
    std::string out;
    ConvertAroundAscii(
        ConverterFor(Direction::kUtf8ToLocal), UpToFirstZero(utf8),
        [](std::string_view, std::size_t) { return std::size_t{1}; }, out);
    return out;
}

std::string Utf8ToLocal(std::span<const std::uint8_t> utf8) {
    return Utf8ToLocal(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

std::string ToUtf8(std::string_view local) {
    local = UpToFirstZero(local);
    Converter& converter = ConverterFor(Direction::kLocalToUtf8);
    // Here an ASCII byte can be the second byte of a character, so stretches
    // end on character boundaries; that holds for valid text only, so text
    // with a broken character goes through in one pass, as it always did.
    std::string out;
    if (!ConvertAroundAscii(converter, local, CharLength, out)) return converter.Run(local);
    return out;
}

bool IsLocalCharset(std::string_view charset) {
    constexpr std::string_view kLabels[] = {"gbk", "gb2312", "x-gbk", "gb18030"};
    return std::any_of(std::begin(kLabels), std::end(kLabels), [&](std::string_view label) {
        return std::equal(
            label.begin(), label.end(), charset.begin(), charset.end(),
            [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    });
}

std::optional<std::string> CharsetToLocal(std::string_view bytes, const std::string& charset) {
    Converter converter(kUtf8, IsLocalCharset(charset) ? kLocal : charset.c_str(), kReplacementUtf8,
                        1);
    if (!converter.Ok()) return std::nullopt;
    std::string utf8 = converter.Run(bytes);
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::string_view text = utf8;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    return Utf8ToLocal(text);
}

}  // namespace vantrel
