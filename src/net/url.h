#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// URL pieces for requests. An address may come without a scheme (http is
// assumed); the host part ends at the first "/", "?" or "#".

// The host, lower-cased. mainDomainOnly keeps its last two labels; keepPort
// keeps a ":port" after it. A bracketed IPv6 literal keeps its brackets.
std::string UrlHost(std::string_view url, bool mainDomainOnly = false, bool keepPort = false);

// The port written after the host, else 443 for https and 80 for anything else.
int UrlPort(std::string_view url);

// Everything after the host (path, query, fragment), starting with "/".
std::string UrlPath(std::string_view url);

// The address as a request sends it, in UTF-8: without the "user:password@"
// of its host part, since credentials written in a URL are never sent, and
// with every byte after the host that a URL cannot carry (blanks, controls,
// quotes, non-ASCII) percent-encoded. Escapes already there stay as they are.
std::string RequestUrl(std::string_view url);

// Percent-encodes the text's local bytes, or with utf8 its UTF-8 bytes.
std::string UrlEncode(std::string_view text, bool keepSafe = false, bool utf8 = false);

// Every byte as "%XY" except: a blank becomes "+", a zero byte is dropped, and
// with keepSafe the bytes ' ( ) * - . 0-9 A-Z _ a-z stay as they are.
std::string PercentEncodeBytes(std::string_view bytes, bool keepSafe);

// "%XY" (two hexadecimal digits) becomes that byte; a "%" without two digits
// after it is copied as it stands. plusAsBlank also turns "+" into a blank, as
// form-encoded text wants.
std::string PercentDecode(std::string_view bytes, bool plusAsBlank = false);

}  // namespace vantrel
