#include "export/sheet_export.h"

#include <gtest/gtest.h>

#include "net/code_page.h"
#include "settings/temp_folder.h"
#include "xls_reader.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::Quoted;
using testing::ReadWithXlrd;
using testing::TempFolder;

std::string L(std::string_view utf8) {
    return Utf8ToLocal(utf8);
}

// Every column of the trending list holds a text of its own, the hidden
// description too, so that a column read from the wrong place shows.
class SheetExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetUpTrendingColumns(list);
        AddRow("1", "第一条", "热", "第一条的描述");
        AddRow("2", "第二条", "新", "第二条的描述");
    }
    void AddRow(const char* rank, const char* title, const char* tag, const char* description) {
        const int row = list.InsertItem();
        list.SetItemTitle(row, COLUMN_RANK, L(rank));
        list.SetItemTitle(row, COLUMN_TITLE, L(title));
        list.SetItemTitle(row, COLUMN_TAG, L(tag));
        list.SetItemTitle(row, COLUMN_DESCRIPTION, L(description));
    }

    TempFolder folder;
    ListModel list;
};

TEST_F(SheetExportTest, RowsAreRankTitleAndTagUnderTheirHeaders) {
    const SheetRows want = {{L("序号"), L("热点"), L("状态")},
                            {L("1"), L("第一条"), L("热")},
                            {L("2"), L("第二条"), L("新")}};
    EXPECT_EQ(ListSheetRows(list), want);

    const fs::path file = folder.path() / "list.xls";
    ASSERT_EQ(ExportListToSheet(list, file, ExistingFile::kReplace), file);
    const testing::XlrdSheet sheet = ReadWithXlrd(file);
    ASSERT_EQ(sheet.rows, 3) << "xlrd could not read the file";
    EXPECT_EQ(sheet.columns, 3);
    EXPECT_EQ(sheet.At(2, 2).value, Quoted("新"));
}

TEST_F(SheetExportTest, AnExistingFileIsKeptOrReplacedAsAsked) {
    const fs::path file = folder.path() / "list.xls";
    testing::WriteFile(file, "older");
    const auto kept = ExportListToSheet(list, file, ExistingFile::kKeep);
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(*kept, folder.path() / "list(2).xls");
    EXPECT_EQ(testing::ReadFile(file), "older");
    EXPECT_EQ(ReadWithXlrd(*kept).rows, 3);

    EXPECT_EQ(ExportListToSheet(list, file, ExistingFile::kReplace), file);
    EXPECT_EQ(ReadWithXlrd(file).rows, 3);
    // A sheet is for others to read too, as a new one is.
    EXPECT_EQ(fs::status(file).permissions(), fs::status(*kept).permissions());
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);

    // Nowhere to write (a file where the folder should be): nothing claimed.
    const fs::path nowhere = file / "x.xls";
    EXPECT_FALSE(ExportListToSheet(list, nowhere, ExistingFile::kReplace));
    EXPECT_FALSE(ExportListToSheet(list, nowhere, ExistingFile::kKeep));
}

TEST(SheetFileName, EachSourceHasItsNameAndNoneStaysInTheFolder) {
    EXPECT_EQ(ToUtf8(SheetFileName(SourceId::kWeibo)), "/新浪微博");
    EXPECT_EQ(ToUtf8(SheetFileName(SourceId::kDouyin)), "/抖音");
    EXPECT_EQ(SheetFileName(SourceId::kNone), "/");
    EXPECT_EQ(SheetFileName(static_cast<SourceId>(SOURCE_COUNT + 1)), "/");
}

}  // namespace
}  // namespace vantrel
