#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "export/xls_writer.h"
#include "model/list_model.h"
#include "model/source_id.h"

namespace vantrel {

// The part of an export's file name that names the list: "/新浪微博",
// "/百度热点", "/今日头条" or "/抖音" (local text, with its leading slash).
std::string SheetFileName(SourceId source);

// The moment of writing as a file-name stamp (see DateStamp), local text.
std::string SheetStamp(const std::tm& local);

// saveDirectory + name + stamp + ".xls", local text.
std::string AutoSavePath(const std::string& folder, SourceId source, const std::tm& local);

// The header row "序号", "热点", "状态" and, per list row, its rank text, its
// title and its tag column's text. The row count is read once; pending events
// run once before each row is read.
SheetRows ListSheetRows(const ListModel& list);

enum class ExistingFile { kReplace, kKeep };

// Writes the list as a new workbook at `path` (a file-system path). With
// kKeep an existing file stays and the workbook takes the first free "(2)"-style
// name beside it. Returns the file written; nothing when it could not be.
std::optional<std::filesystem::path> ExportListToSheet(const ListModel& list,
                                                       const std::filesystem::path& path,
                                                       ExistingFile existing);

}  // namespace vantrel
