#include "net/url.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "net/code_page.h"
#include "net/local_text.h"

namespace vantrel {
namespace {

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
}

struct UrlParts {
    std::string_view authority;  // host and port as written
    std::string_view rest;       // path, query and fragment
};

UrlParts SplitUrl(std::string_view url) {
    std::string lower = LowerAscii(url);
    std::string_view afterScheme = url;
    if (lower.starts_with("https://")) {
        afterScheme = url.substr(8);
    } else if (int http = Find(lower, "http://"); http != -1) {
        afterScheme = url.substr(static_cast<std::size_t>(http - 1) + 7);
    }
    // Ending the host at "?" and "#" as well as "/" keeps the query of an
    // address like "host?x=1" instead of taking it for part of the host.
    // None of these bytes can be part of a multi-byte character.
    std::size_t end = afterScheme.find_first_of("/?#");
    if (end == std::string_view::npos) end = afterScheme.size();
    return {afterScheme.substr(0, end), afterScheme.substr(end)};
}

// Where the port's ":" is, past the brackets of an IPv6 literal; npos if none.
std::size_t PortColon(std::string_view hostPort, bool last) {
    std::size_t from = 0;
    if (hostPort.starts_with("[")) {
        std::size_t close = hostPort.find(']');
        if (close == std::string_view::npos) return std::string_view::npos;
        from = close;
    }
    std::size_t colon = last ? hostPort.rfind(':') : hostPort.find(':', from);
    return (colon == std::string_view::npos || colon < from) ? std::string_view::npos : colon;
}

bool IsSafe(unsigned char b) {
    return (b >= 0x27 && b <= 0x2A) || b == '-' || b == '.' || (b >= '0' && b <= '9') ||
           (b >= 'A' && b <= 'Z') || b == '_' || (b >= 'a' && b <= 'z');
}

// The bytes RFC 3986 lets a URL carry as they are: unreserved, reserved and
// the "%" of an escape.
bool UrlCarries(unsigned char b) {
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
           std::string_view("-._~:/?#[]@!$&'()*+,;=%").find(static_cast<char>(b)) !=
               std::string_view::npos;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A letter, then letters, digits, "+", "-" or ".".
bool IsSchemeName(std::string_view text) {
    if (text.empty() || !IsAsciiLetter(text.front())) return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    });
}

void AppendEscape(std::string& out, unsigned char b) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out.push_back('%');
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 0xF]);
}

std::string EscapeUncarried(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (UrlCarries(b)) {
            out.push_back(c);
        } else {
            AppendEscape(out, b);
        }
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string UrlHost(std::string_view url, bool mainDomainOnly, bool keepPort) {
    std::string host = LowerAscii(SplitUrl(url).authority);
    if (mainDomainOnly) {
        std::vector<std::string> labels = SplitText(host, ".");
        if (labels.size() > 1) host = labels[labels.size() - 2] + "." + labels.back();
    }
    if (keepPort) return host;
    return host.substr(0, PortColon(host, false));
}

int UrlPort(std::string_view url) {
    std::string hostPort = UrlHost(url, false, true);
    std::size_t colon = PortColon(hostPort, true);
    if (colon != std::string::npos) {
        int port = 0;
        const char* digits = hostPort.data() + colon + 1;
        std::from_chars(digits, hostPort.data() + hostPort.size(), port);
        return port;
    }
    return LowerAscii(url.substr(0, 5)) == "https" ? 443 : 80;
}

std::string UrlPath(std::string_view url) {
    std::string_view rest = SplitUrl(url).rest;
    if (rest.starts_with("/")) return std::string(rest);
    return "/" + std::string(rest);
}

std::string RequestUrl(std::string_view url) {
    // In UTF-8 first: a second byte of a local character can look like "@" or "/".
    const std::string text = ToUtf8(url);
    const std::string_view all(text);
    const std::size_t schemeEnd = all.find("://");
    const std::size_t authority =
        schemeEnd != std::string_view::npos && IsSchemeName(all.substr(0, schemeEnd))
            ? schemeEnd + 3
            : 0;
    std::size_t rest = all.find_first_of("/?#", authority);
    if (rest == std::string_view::npos) rest = all.size();
    const std::size_t at = all.substr(authority, rest - authority).rfind('@');
    const std::size_t host = at == std::string_view::npos ? authority : authority + at + 1;
    return std::string(all.substr(0, authority)) + std::string(all.substr(host, rest - host)) +
           EscapeUncarried(all.substr(rest));
}

std::string UrlEncode(std::string_view text, bool keepSafe, bool utf8) {
    if (utf8) return PercentEncodeBytes(ToUtf8(text), keepSafe);
    return PercentEncodeBytes(text.substr(0, text.find('\0')), keepSafe);
}

std::string PercentEncodeBytes(std::string_view bytes, bool keepSafe) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (b == 0) continue;
        if (keepSafe && IsSafe(b)) {
            out.push_back(c);
        } else if (b == ' ') {
            out.push_back('+');
        } else {
            AppendEscape(out, b);
        }
    }
    return out;
}

std::string PercentDecode(std::string_view bytes, bool plusAsBlank) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '%' && i + 2 < bytes.size() && HexValue(bytes[i + 1]) >= 0 &&
            HexValue(bytes[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(bytes[i + 1]) * 16 + HexValue(bytes[i + 2])));
            i += 2;
        } else if (c == '+' && plusAsBlank) {
            out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace vantrel
