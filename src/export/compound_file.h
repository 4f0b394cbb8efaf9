#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// A compound document (the container of .xls files: a small FAT file system
// in 512-byte sectors) holding one stream under `streamName` (ASCII, at most
// 31 characters). Streams shorter than 4096 bytes are padded with zeros up to
// that size, so the container needs no mini stream; readers stop at the
// stream's own end record. Nothing when the stream is too large for a
// container without extra allocation-table sectors (about 6.8 MB).
std::optional<std::string> BuildCompoundFile(std::string_view streamName, std::string_view stream);

}  // namespace vantrel
