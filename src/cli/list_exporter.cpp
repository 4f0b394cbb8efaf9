#include "cli/list_exporter.h"

#include "export/sheet_export.h"

namespace vantrel {

ExportedList ExportList(SourceId source, const FetchRoutine& fetch,
                        const std::filesystem::path& file,
                        const std::filesystem::path& settingsPath) {
    const ScriptFetch fetched = FetchForScript(source, fetch, settingsPath);
    ExportedList exported{fetched.status, fetched.reason, fetched.rulesStatus};
    if (fetched.status == 2) return exported;
    if (!ExportListToSheet(fetched.list, file, ExistingFile::kReplace)) {
        exported.status = 3;
        exported.reason = "the file could not be written: " + file.string();
    }
    return exported;
}

}  // namespace vantrel
