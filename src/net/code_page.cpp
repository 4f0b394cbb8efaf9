#include "net/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iterator>

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
        if (!Ok() || input.empty()) return out;
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
            std::size_t skip = std::min(inputUnit_, inLeft);
            in += skip;
            inLeft -= skip;
        }
        char* outPtr = chunk;
        std::size_t outLeft = sizeof chunk;
        iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
        out.append(chunk, static_cast<std::size_t>(outPtr - chunk));
        return out;
    }

    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  private:
    iconv_t cd_;
    std::string_view replacement_;
    std::size_t inputUnit_;
};

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
    return ConverterFor(Direction::kUtf8ToLocal).Run(UpToFirstZero(utf8));
}

std::string Utf8ToLocal(std::span<const std::uint8_t> utf8) {
    return Utf8ToLocal(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

std::string ToUtf8(std::string_view local) {
    return ConverterFor(Direction::kLocalToUtf8).Run(UpToFirstZero(local));
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
