#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vantrel {

// Two ways to find an exported function of a mapped PE32 or PE32+ image by
// name. Both answer the function's address (image base plus its relative
// address), or 0 when the image has no such export or its export tables are
// malformed; every table read is checked against the mapped image.
//
// The name walk reads the export names as texts lying one after another from
// the first name on, and takes the function at the same position as the
// matching name. It is right only for images whose names are stored back to
// back in name order and whose functions are numbered in that order.
std::uintptr_t FindExportByNameWalk(std::span<const std::uint8_t> mapped, std::string_view name);

// The lookup searches the name table, which the format keeps in ascending
// byte order, and maps a name to its function through the name-ordinal table,
// as the system's own loader does.
// An export forwarded to another library answers 0: it has no code here.
std::uintptr_t FindExportByName(std::span<const std::uint8_t> mapped, std::string_view name);

// The same over a module loaded by LoadModuleFromMemory, known by its base:
// its headers give the extent of the mapped image.
std::uintptr_t FindExportByNameWalk(std::uintptr_t base, std::string_view name);
std::uintptr_t FindExportByName(std::uintptr_t base, std::string_view name);

}  // namespace vantrel
