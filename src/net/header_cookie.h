#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Header blocks are lines separated by CR LF; cookie lists are items
// "name=value" separated by "; ". Both are local text.

// Drops lines without ":" and capitalises each "-"-separated word of every
// header name ("x-requested-with" -> "X-Requested-With"); values stay as they
// are. The result does not end with CR LF.
std::string NormalizeHeaderNames(std::string_view block);

// The value after "name: " on the first line that starts with name (exact
// case); empty when there is none.
std::string HeaderValue(std::string_view block, std::string_view name);

// When line is a "Set-Cookie: " line, appends its "name=value" and "; " to list.
void CollectSetCookies(std::string_view line, std::string& list);

// The trimmed text before the first "=" (the whole item when there is none).
std::string CookieName(std::string_view item);

// The new cookies in the order given, then the old ones that new does not set
// again; a cookie set to "deleted" is dropped, old value included. old is
// rewritten to the result as well.
std::string MergeCookies(std::string& old, std::string_view fresh);

// Drops every piece equal to an earlier one. byDelimiter false splits into
// characters instead (a two-byte character and CR LF count as one); either way
// the kept pieces are joined with delimiter.
std::string RemoveDuplicates(std::string_view text, std::string_view delimiter,
                             bool byDelimiter = true);

}  // namespace vantrel
