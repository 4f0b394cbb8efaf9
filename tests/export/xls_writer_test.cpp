#include "export/xls_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "export/sheet_export.h"
#include "net/code_page.h"
#include "settings/temp_folder.h"
#include "xls_reader.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::Quoted;
using testing::ReadWithXlrd;
using testing::TempFolder;

void WriteXls(const fs::path& path, const SheetRows& rows) {
    const std::optional<std::string> file = BuildXlsFile(rows);
    ASSERT_TRUE(file.has_value());
    std::ofstream(path, std::ios::binary).write(file->data(), std::streamsize(file->size()));
}

// Texts a list can hold that a spreadsheet likes to turn into something else:
// numbers, leading zeros, empties; and characters outside GBK.
const std::vector<std::vector<std::string>> kMixedUtf8 = {
    {"序号", "热点", "状态"},  {"4", "中文标题，带全角标点！（测试）", ""},
    {"10", "😀 表情在前", "x"}, {"007", "𠀀 扩展B区汉字", "1e3"},
    {"", "=1+1", "TRUE"},
};

SheetRows LocalRows(const std::vector<std::vector<std::string>>& utf8) {
    SheetRows rows;
    for (const auto& row : utf8) {
        rows.emplace_back();
        for (const std::string& cell : row)
            rows.back().push_back(Utf8ToLocal(cell));
    }
    return rows;
}

// Long and repeated strings put the shared string table past one record, and
// one string past a whole record, so strings are cut between records.
std::vector<std::vector<std::string>> LongRowsUtf8() {
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < 400; ++r) {
        std::string title = std::to_string(r) + "号";
        for (int i = 0; i < r % 37; ++i)
            title += i % 11 == 5 ? "🔥" : "热";
        rows.push_back({std::to_string(r % 9), title, r % 3 ? "" : "重复"});
    }
    std::string huge;
    for (int i = 0; i < 6000; ++i)
        huge += i % 7 ? "长" : "😀";
    rows.push_back({"", huge, "end"});
    return rows;
}

TEST(XlsWriter, XlrdReadsEveryCellAsTheExactTextInTextFormat) {
    TempFolder folder;
    const fs::path file = folder.path() / "mixed.xls";
    WriteXls(file, LocalRows(kMixedUtf8));
    const testing::XlrdSheet sheet = ReadWithXlrd(file);
    ASSERT_EQ(sheet.rows, 5) << "xlrd could not read the file";
    EXPECT_EQ(sheet.columns, 3);
    EXPECT_EQ(sheet.sheetNames, "Sheet1");
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 3; ++c) {
            const testing::XlrdCell& cell = sheet.At(r, c);
            const std::string& want = kMixedUtf8[r][c];
            EXPECT_EQ(cell.format, "@") << r << "," << c;
            EXPECT_EQ(cell.type, want.empty() ? 6 : 1) << r << "," << c;
            EXPECT_EQ(cell.value, Quoted(want)) << r << "," << c;
        }
    }
}

TEST(XlsWriter, StringsCutAcrossRecordsReadBackWhole) {
    TempFolder folder;
    const fs::path file = folder.path() / "long.xls";
    const auto want = LongRowsUtf8();
    WriteXls(file, LocalRows(want));
    const testing::XlrdSheet sheet = ReadWithXlrd(file);
    ASSERT_EQ(sheet.rows, static_cast<int>(want.size())) << "xlrd could not read the file";
    for (int r = 0; r < sheet.rows; ++r) {
        for (int c = 0; c < 3; ++c) {
            ASSERT_EQ(sheet.At(r, c).value, Quoted(want[r][c])) << r << "," << c;
        }
    }
}

TEST(XlsWriter, TooManyRowsIsRefusedNotCut) {
    EXPECT_FALSE(BuildXlsFile(SheetRows(65537, {"a"})).has_value());
    EXPECT_FALSE(BuildXlsFile({std::vector<std::string>(257, "a")}).has_value());
}

// One LibreOffice run converts every file; it starts slowly.
TEST(XlsWriter, LibreOfficeReadsTheSameTexts) {
    if (testing::CommandOutput("command -v soffice").empty()) GTEST_SKIP() << "no soffice";
    TempFolder folder;
    WriteXls(folder.path() / "mixed.xls", LocalRows(kMixedUtf8));
    const auto longRows = LongRowsUtf8();
    WriteXls(folder.path() / "long.xls", LocalRows(longRows));
    ListModel empty;
    SetUpTrendingColumns(empty);
    ASSERT_TRUE(ExportListToSheet(empty, folder.path() / "empty.xls", ExistingFile::kReplace));

    const std::string out = (folder.path() / "csv").string();
    testing::CommandOutput("cd '" + folder.path().string() +
                           "' && soffice -env:UserInstallation=file://" + folder.path().string() +
                           "/profile --headless --convert-to "
                           "'csv:Text - txt - csv (StarCalc):44,34,76,1' --outdir '" +
                           out + "' mixed.xls long.xls empty.xls >/dev/null 2>&1");

    // Text cells come out quoted, numbers would not; empty cells as nothing.
    auto csv = [](const std::vector<std::vector<std::string>>& rows) {
        std::string text;
        for (const auto& row : rows) {
            std::string line;
            for (size_t c = 0; c < row.size(); ++c)
                line += (c ? "," : "") + (row[c].empty() ? "" : Quoted(row[c]));
            text += line + "\n";
        }
        return text;
    };
    EXPECT_EQ(testing::ReadFile(out + "/mixed.csv"), csv(kMixedUtf8));
    EXPECT_EQ(testing::ReadFile(out + "/long.csv"), csv(longRows));
    EXPECT_EQ(testing::ReadFile(out + "/empty.csv"), "\"序号\",\"热点\",\"状态\"\n");
}

}  // namespace
}  // namespace vantrel
