#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel {

// The name of the start-with-login entry: AUTORUN_NAME.desktop.
inline constexpr std::string_view AUTORUN_NAME = "Sorvane";

// $XDG_CONFIG_HOME/autostart, else ~/.config/autostart.
std::filesystem::path AutostartFolder();

// The running program's executable, by its absolute path; empty when the
// system cannot tell.
std::filesystem::path ProgramPath();

// One argument of a desktop entry's Exec key, quoted when it holds a blank
// or any reserved character, then escaped as a desktop-entry string value.
std::string QuoteExecArgument(std::string_view argument);

// The autostart entry's text for an executable.
std::string AutostartEntry(const std::filesystem::path& executable);

// Writes AUTORUN_NAME.desktop into the folder, starting the executable, when
// the executable exists as a regular file. Nothing else in the folder is
// touched. Returns whether the entry is in place.
bool RegisterAutorun(const std::filesystem::path& executable = ProgramPath(),
                     const std::filesystem::path& folder = AutostartFolder());

// Removes AUTORUN_NAME.desktop from the folder. Returns whether none is left.
bool UnregisterAutorun(const std::filesystem::path& folder = AutostartFolder());

}  // namespace vantrel
