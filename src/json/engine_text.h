#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// The engine keeps text as UTF-16 code units, each written like a UTF-8
// character (CESU-8): a character beyond U+FFFF is two three-byte surrogates,
// not one four-byte sequence. These convert local text (GB18030) to and from
// that form exactly, characters beyond U+FFFF included.

// Local text, up to its first zero byte, to engine text.
std::string LocalToEngine(std::string_view local);

// The same as LocalToEngine, but plain ASCII (the common case for documents
// and every program-built script) comes back as a view of local itself, and
// only other text is converted into storage.
std::string_view AsEngineText(std::string_view local, std::string& storage);

// Engine text to local text, up to the first U+0000. A surrogate without its
// partner has no form in local text and becomes U+FFFD.
std::string EngineToLocal(std::string_view engine);

// Engine text with each U+2400 (the mark a stored backslash leaves) turned
// back into a backslash. Done here rather than by a script's replace(), which
// costs the engine about a microsecond per value.
void UnmarkBackslashes(std::string& engine);

// Local text as a script string literal in apostrophes that evaluates to
// exactly that text. The literal is plain ASCII: everything outside printable
// ASCII is a \u escape (U+2028 and U+2029, which would end the line, included),
// so no value can end the literal early.
std::string QuoteLiteral(std::string_view local);

}  // namespace vantrel
