#pragma once

#include <cstddef>
#include <string>

namespace vantrel {

// Bodies read into memory stop here; a longer answer is cut and the cut is
// reported by each routine in its own way.
inline constexpr std::size_t MAX_BODY_BYTES = 64u * 1024 * 1024;

// Names a CA certificate file trusted in addition to the system store, for
// every request after the call (tests use it for their own servers). An empty
// path goes back to the system store alone.
void SetExtraCaFile(std::string path);

// Time-out, in seconds, of the blocking routines (InetRequest, HttpGetBytes):
// for connecting, and for any stretch with no bytes moving. Default 30. A
// whole exchange ends, failing as a time-out, at twice this.
void SetBlockingTimeoutSeconds(int seconds);
int CurrentBlockingTimeoutSeconds();

// Forgets the cookies that InetRequest calls without supplied cookies keep.
void ClearSharedCookies();

}  // namespace vantrel
