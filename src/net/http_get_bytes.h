#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// A plain GET (redirects followed, certificates verified) that returns the
// body bytes. Empty on any failure: no answer, an HTTP error status (400 or
// above), or a body over the 64 MiB cap, since a cut file is no file.
std::string HttpGetBytes(std::string_view url);

}  // namespace vantrel
