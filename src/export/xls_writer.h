#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// Rows of cells, each a local text; row 0 goes to spreadsheet row 1.
using SheetRows = std::vector<std::vector<std::string>>;

// A complete .xls file (BIFF8 workbook in its compound-document container)
// with one worksheet "Sheet1" holding `rows` from A1. Every cell is formatted
// as text ("@"): a text becomes a string cell with the text converted exactly
// to Unicode (emoji included), an empty text a formatted empty cell. Nothing
// when the rows exceed what the format holds (65536 rows, 256 columns).
std::optional<std::string> BuildXlsFile(const SheetRows& rows);

}  // namespace vantrel
