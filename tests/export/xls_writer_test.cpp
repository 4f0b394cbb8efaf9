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
    const testing::XlsRecords records = testing::ReadRecords(file);
    ASSERT_EQ(records.sstWalk.size(), 2u);
    EXPECT_EQ(records.sstWalk[0], records.sst.at(1));
    EXPECT_EQ(records.sstWalk[1], 0);
}

// A string's header (count and options) is never cut by a record's end, and
// at least its first character follows it in the same record: readers that
// take the header whole, as Excel does, find every string where it starts.
// One-character strings after a first one of 1 to 5 characters put a header
// at each byte before the end of the first record in turn.
TEST(XlsWriter, NoStringHeaderIsCutOrLeftWithoutACharacter) {
    TempFolder folder;
    auto utf8 = [](char32_t c) {  // a character below U+10000
        std::string out;
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
        return out;
    };
    for (int first = 1; first <= 5; ++first) {
        SheetRows rows = {{Utf8ToLocal(std::string(first, 'x'))}};
        for (char32_t c = 0x4E00; c < 0x4E00 + 1700; ++c)
            rows.push_back({Utf8ToLocal(utf8(c))});
        const fs::path file = folder.path() / "edges.xls";
        WriteXls(file, rows);
        EXPECT_EQ(testing::ReadRecords(file).sstWalk, (std::vector<long>{1701, 0})) << first;
    }
}

// The most a sheet holds, 65,536 rows and 256 columns, is written whole;
// one more is refused rather than cut.
TEST(XlsWriter, AFullSheetIsWrittenAndOneMoreRowOrColumnIsRefused) {
    EXPECT_FALSE(BuildXlsFile(SheetRows(65537, {"a"})).has_value());
    EXPECT_FALSE(BuildXlsFile({std::vector<std::string>(257, "a")}).has_value());

    TempFolder folder;
    SheetRows tall(65536, {"a"});
    tall.back() = {"last"};
    WriteXls(folder.path() / "tall.xls", tall);
    const testing::XlrdSheet sheet = ReadWithXlrd(folder.path() / "tall.xls");
    ASSERT_EQ(sheet.rows, 65536) << "xlrd could not read the file";
    EXPECT_EQ(sheet.At(65535, 0).value, Quoted("last"));
    EXPECT_EQ(testing::ReadRecords(folder.path() / "tall.xls").dimensions,
              (std::vector<long>{0, 65536, 0, 1, 14}));

    std::vector<std::string> wide(256, "w");
    wide.back() = "right";
    WriteXls(folder.path() / "wide.xls", {wide});
    const testing::XlrdSheet wideSheet = ReadWithXlrd(folder.path() / "wide.xls");
    ASSERT_EQ(wideSheet.columns, 256) << "xlrd could not read the file";
    EXPECT_EQ(wideSheet.At(0, 255).value, Quoted("right"));
    EXPECT_EQ(testing::ReadRecords(folder.path() / "wide.xls").dimensions,
              (std::vector<long>{0, 1, 0, 256, 14}));
}

// DIMENSIONS spans the longest row; the string table counts cells and strings.
TEST(XlsWriter, DimensionsAndCountsCoverRaggedRows) {
    TempFolder folder;
    WriteXls(folder.path() / "ragged.xls", {{"a"}, {"b", "", "a", "c"}, {}});
    const testing::XlsRecords records = testing::ReadRecords(folder.path() / "ragged.xls");
    EXPECT_EQ(records.dimensions, (std::vector<long>{0, 3, 0, 4, 14}));
    EXPECT_EQ(records.sst, (std::vector<long>{4, 3}));
    // 512-byte sectors (version 3), and a small workbook padded to the
    // standard 4096 bytes, so it is no mini stream for any reader.
    ASSERT_EQ(records.compound.size(), 3u);
    EXPECT_EQ(records.compound[0], 3);
    EXPECT_EQ(records.compound[1], 4096);
    EXPECT_EQ(records.compound[2], 4096);
    // Plain 10-point Arial in the automatic colour: no style, no underline,
    // no family or character set of its own.
    EXPECT_EQ(records.fonts, std::vector<std::string>(4, "Arial:200:400:32767:0000:0:0:0:0"));
}

// A reader that jumps to a string through EXTSST, as Excel does, must land
// on the first string of each bucket, also in the CONTINUE records. A bucket
// holds at least 8 strings, and there are no more than 128 buckets.
TEST(XlsWriter, TheStringIndexFindsTheFirstStringOfEveryBucket) {
    TempFolder folder;
    for (const auto& [count, bucketSize] : {std::pair{5, 8}, {1016, 8}, {1024, 9}, {2000, 16}}) {
        SheetRows rows;
        std::vector<std::string> texts;
        for (int i = 0; i < count; ++i) {
            std::string text = "s" + std::to_string(i) + std::string(i % 23, '-') + "热";
            texts.push_back(text);
            rows.push_back({Utf8ToLocal(text)});
        }
        const fs::path file = folder.path() / "index.xls";
        WriteXls(file, rows);
        const testing::XlsRecords records = testing::ReadRecords(file);
        ASSERT_EQ(records.bucketSize, bucketSize) << count;
        const int buckets = (count + bucketSize - 1) / bucketSize;
        ASSERT_EQ(records.buckets, buckets) << count;
        ASSERT_EQ(records.bucketStrings.size(), static_cast<size_t>(buckets)) << count;
        for (int b = 0; b < buckets; ++b) {
            EXPECT_TRUE(records.bucketStrings[b].first) << count << " bucket " << b;
            EXPECT_EQ(records.bucketStrings[b].second, Quoted(texts[b * bucketSize]))
                << count << " bucket " << b;
        }
    }
}

// A cell holds at most 32,767 UTF-16 units; a longer text is cut there, one
// unit sooner when the cut would split a character beyond U+FFFF.
TEST(XlsWriter, LongTextsAreCutAtTheCellLimitWithoutSplittingACharacter) {
    const std::string as(32766, 'a');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {std::string(40000, 'b'), std::string(32767, 'b')},
        {as + "中b", as + "中"},
        {as + "힣b", as + "힣"},   // U+D7A3, just below the surrogates: whole
        {as + "\U00010000b", as},  // the first character beyond U+FFFF
        {as + "\U000E0001b", as},  // from U+E0000 up the high half starts with 0xDB
        {as + "\U0010FFFDb", as},
        {as.substr(1) + "\U00010000", as.substr(1) + "\U00010000"},  // exactly 32,767 units
    };
    TempFolder folder;
    SheetRows rows;
    for (const auto& [text, cut] : cases)
        rows.push_back({Utf8ToLocal(text)});
    WriteXls(folder.path() / "long.xls", rows);
    const testing::XlrdSheet sheet = ReadWithXlrd(folder.path() / "long.xls");
    ASSERT_EQ(sheet.rows, static_cast<int>(cases.size())) << "xlrd could not read the file";
    for (size_t r = 0; r < cases.size(); ++r) {
        const std::string& value = sheet.At(static_cast<int>(r), 0).value;
        EXPECT_EQ(value.size(), Quoted(cases[r].second).size()) << r;
        EXPECT_TRUE(value == Quoted(cases[r].second)) << r;
    }
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
