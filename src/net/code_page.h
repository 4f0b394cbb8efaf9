#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

// Local text is a GB18030 byte string: every GBK sequence keeps its bytes,
// and characters GBK cannot hold (emoji) are kept as four-byte sequences
// instead of turning into "?". Like the zero-terminated texts it stands for,
// local text ends at its first zero byte; the routines below ignore what
// follows it. Bytes that are not valid in the source encoding become U+FFFD
// (in the target encoding), so every input gives a defined result.

// Local text to UTF-16LE bytes. An empty text gives an empty array; any other
// text gives the units followed by a zero unit, unless withoutTerminator.
std::string ToUtf16(std::string_view local, bool withoutTerminator = false);

// UTF-16LE bytes, up to the first zero unit, to local text. A dangling odd
// byte at the end is not a unit and is ignored.
std::string FromUtf16(std::string_view utf16le);

// UTF-8 text or bytes, up to the first zero byte, to local text.
std::string Utf8ToLocal(std::string_view utf8);
std::string Utf8ToLocal(std::span<const std::uint8_t> utf8);

// Local text, up to the first zero byte, to UTF-8 bytes (no terminator).
std::string ToUtf8(std::string_view local);

// True for the labels of local text and its subsets: "gbk", "gb2312",
// "x-gbk" and "gb18030", in any letter case.
bool IsLocalCharset(std::string_view charset);

// Bytes in a named charset (as a page declares it) to local text; bytes that
// are no character there become U+FFFD, and a byte-order mark in front is
// dropped. The labels of IsLocalCharset decode as GB18030, so characters
// beyond GBK survive. Nothing when iconv does not know the charset, so the
// caller can keep the bytes instead of losing the page.
std::optional<std::string> CharsetToLocal(std::string_view bytes, const std::string& charset);

}  // namespace vantrel
