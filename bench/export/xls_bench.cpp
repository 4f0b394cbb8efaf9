#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/fill_row.h"
#include "export/sheet_export.h"
#include "model/list_model.h"
#include "net/code_page.h"

// Writing a 50-row list as an .xls file (our writer, written to a temporary
// name, synced and renamed), against LibreOffice converting the same rows
// from CSV to .xls in the same run. Compare the medians.

namespace {

namespace fs = std::filesystem;

const fs::path& Folder() {
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "vantrel-xls-bench-XXXXXX").string();
        return fs::path(::mkdtemp(pattern.data()));
    }();
    return folder;
}

std::string Title(int row) {
    return "第" + std::to_string(row) + "条热点：全角标点，还有表情😀与数字007";
}

vantrel::ListModel FiftyRows() {
    vantrel::ListModel list;
    vantrel::SetUpTrendingColumns(list);
    vantrel::AppState state;
    for (int row = 0; row < 50; ++row) {
        vantrel::FillRow(list, state, row, {vantrel::Utf8ToLocal(Title(row)), "hot", "", ""});
    }
    return list;
}

// The workbook in memory: rows read from the list, strings converted, records
// and container laid out; no disk.
void BM_OurWorkbookInMemoryFiftyRows(benchmark::State& state) {
    const vantrel::ListModel list = FiftyRows();
    for (auto _ : state)
        benchmark::DoNotOptimize(vantrel::BuildXlsFile(vantrel::ListSheetRows(list)));
}
BENCHMARK(BM_OurWorkbookInMemoryFiftyRows)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly();

// The whole export as the timer runs it; the file and folder syncs that make
// the rename safe against a power cut take most of the time on a slow disk.
void BM_OurWriterFiftyRows(benchmark::State& state) {
    const vantrel::ListModel list = FiftyRows();
    const fs::path file = Folder() / "ours.xls";
    for (auto _ : state) {
        if (!vantrel::ExportListToSheet(list, file, vantrel::ExistingFile::kReplace)) {
            state.SkipWithError("the file was not written");
            break;
        }
    }
}
BENCHMARK(BM_OurWriterFiftyRows)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly();

// One LibreOffice process per conversion, as a script would run it; the
// profile is made before timing starts.
void BM_LibreOfficeCsvToXlsFiftyRows(benchmark::State& state) {
    const fs::path csv = Folder() / "rows.csv";
    {
        std::ofstream out(csv, std::ios::binary);
        out << "序号,热点,状态\n";
        for (int row = 0; row < 50; ++row)
            out << (row < 4 ? "" : std::to_string(row)) << ",\"" << Title(row) << "\",\n";
    }
    const std::string command = "cd '" + Folder().string() +
                                "' && soffice -env:UserInstallation=file://" + Folder().string() +
                                "/profile --headless --infilter=CSV:44,34,76,1 --convert-to "
                                "xls --outdir '" +
                                (Folder() / "lo").string() + "' rows.csv >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        state.SkipWithError("soffice did not run");
        return;
    }
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("soffice failed");
            break;
        }
    }
}
BENCHMARK(BM_LibreOfficeCsvToXlsFiftyRows)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(Folder(), ec);
    return 0;
}
