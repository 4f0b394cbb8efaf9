#pragma once

#include <filesystem>

namespace vantrel {

// The user's XDG base folders. The environment is read at every call, so a
// test can point them at folders of its own.

// $XDG_CONFIG_HOME when it is absolute, else ~/.config.
std::filesystem::path ConfigHome();
// $XDG_DATA_HOME when it is absolute, else ~/.local/share.
std::filesystem::path DataHome();

}  // namespace vantrel
