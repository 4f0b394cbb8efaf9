#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel {

// Writes a local text to the file at path, encrypted with FILE_KEY; the text ends at its first
// zero byte, and an empty text makes an empty file. The folder is created when missing. The
// new content goes to a temporary file in the same folder that is renamed over the old one,
// so a write that fails or is cut short leaves the old file whole. Returns whether the new
// file is in place.
bool StoreEncryptedText(const std::filesystem::path& path, std::string_view text);

// Reads back what StoreEncryptedText wrote, up to the first zero byte. A file that is missing,
// unreadable, damaged or keyed otherwise gives an empty text.
std::string LoadEncryptedText(const std::filesystem::path& path);

}  // namespace vantrel
