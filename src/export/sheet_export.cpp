#include "export/sheet_export.h"

#include <array>

#include "model/date_stamp.h"
#include "net/code_page.h"
#include "net/pending_messages.h"
#include "platform/atomic_file.h"

namespace vantrel {
namespace {

std::string Local(const char* utf8) {
    return Utf8ToLocal(std::string_view(utf8));
}

}  // namespace

std::string SheetFileName(SourceId source) {
    static const std::array<std::string, SOURCE_COUNT> kNames = {
        Local("/新浪微博"), Local("/百度热点"), Local("/今日头条"), Local("/抖音")};
    const int n = static_cast<int>(source);
    // Without a source the file still goes into the folder, not beside it.
    return IsSourceNumber(n) ? kNames[n - 1] : "/";
}

std::string SheetStamp(const std::tm& local) {
    return Utf8ToLocal(DateStamp(local));
}

std::string AutoSavePath(const std::string& folder, SourceId source, const std::tm& local) {
    return folder + SheetFileName(source) + SheetStamp(local) + ".xls";
}

SheetRows ListSheetRows(const ListModel& list) {
    SheetRows rows{{Local("序号"), Local("热点"), Local("状态")}};
    const int count = list.ItemCount();
    rows.reserve(static_cast<std::size_t>(count) + 1);
    for (int r = 0; r < count; ++r) {
        ProcessPendingMessages();
        rows.push_back({list.ItemTitle(r, COLUMN_RANK), list.ItemTitle(r, COLUMN_TITLE),
                        list.ItemTitle(r, COLUMN_TAG)});
    }
    return rows;
}

std::optional<std::filesystem::path> ExportListToSheet(const ListModel& list,
                                                       const std::filesystem::path& path,
                                                       ExistingFile existing) {
    const std::optional<std::string> file = BuildXlsFile(ListSheetRows(list));
    if (!file) return std::nullopt;
    if (existing == ExistingFile::kKeep) return CreateNewFile(path, *file);
    if (!ReplaceFile(path, *file, 0644)) return std::nullopt;
    return path;
}

}  // namespace vantrel
