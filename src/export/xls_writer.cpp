#include "export/xls_writer.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "export/compound_file.h"
#include "net/code_page.h"

namespace vantrel {
namespace {

constexpr std::size_t kMaxRows = 65536;
constexpr std::size_t kMaxColumns = 256;
constexpr std::size_t kMaxRecordData = 8224;
constexpr std::size_t kMaxStringUnits = 32767;

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kWindow1 = 0x003D;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kStyle = 0x0293;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kExtSst = 0x00FF;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kWindow2 = 0x023E;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kBlank = 0x0201;

constexpr std::uint16_t kTextFormat = 49;  // the built-in number format "@"
constexpr std::uint16_t kTextXf = 16;      // after 15 style formats and the default cell format
constexpr std::uint8_t kUnicodeChars = 0x01;

void Add8(std::string& out, std::uint8_t value) {
    out += static_cast<char>(value);
}

void Add16(std::string& out, std::uint16_t value) {
    Add8(out, static_cast<std::uint8_t>(value & 0xFF));
    Add8(out, static_cast<std::uint8_t>(value >> 8));
}

void Add32(std::string& out, std::uint32_t value) {
    Add16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    Add16(out, static_cast<std::uint16_t>(value >> 16));
}

void AddRecord(std::string& out, std::uint16_t type, std::string_view data) {
    Add16(out, type);
    Add16(out, static_cast<std::uint16_t>(data.size()));
    out += data;
}

std::string Bof(std::uint16_t kind) {
    std::string data;
    Add16(data, 0x0600);  // BIFF8
    Add16(data, kind);
    Add16(data, 0x0DBB);      // build
    Add16(data, 0x07CC);      // year
    Add32(data, 0);           // file history flags
    Add32(data, 0x00000006);  // lowest version that can read the file
    return data;
}

std::string Window1() {
    std::string data;
    for (std::uint16_t value : {0, 0, 0x4000, 0x2000, 0x0038, 0, 0, 1, 0x0258})
        Add16(data, value);
    return data;
}

std::string Font() {
    std::string data;
    for (std::uint16_t value : {200, 0, 0x7FFF, 400, 0})  // 10 pt, plain, automatic colour
        Add16(data, value);
    Add32(data, 0);  // underline, family, charset, reserved
    constexpr std::string_view kName = "Arial";
    Add8(data, static_cast<std::uint8_t>(kName.size()));
    Add8(data, 0);  // one byte per character
    data += kName;
    return data;
}

std::string Xf(std::uint16_t font, std::uint16_t format, std::uint16_t kind,
               std::uint8_t usedAttributes) {
    std::string data;
    Add16(data, font);
    Add16(data, format);
    Add16(data, kind);
    Add8(data, 0x20);  // bottom-aligned
    Add8(data, 0);
    Add8(data, 0);
    Add8(data, usedAttributes);
    Add32(data, 0);       // no borders
    Add32(data, 0);       // no diagonal, no fill pattern
    Add16(data, 0x20C0);  // default pattern colours
    return data;
}

std::string CellFormats() {
    constexpr std::uint16_t kStyleFormat = 0xFFF5;  // locked style, no parent
    constexpr std::uint16_t kCellFormat = 0x0001;   // locked cell below the Normal style
    std::string out;
    AddRecord(out, kXf, Xf(0, 0, kStyleFormat, 0x00));
    for (int i = 1; i < 15; ++i)
        AddRecord(out, kXf, Xf(0, 0, kStyleFormat, 0xF4));
    AddRecord(out, kXf, Xf(0, 0, kCellFormat, 0x00));
    AddRecord(out, kXf, Xf(0, kTextFormat, kCellFormat, 0x04));  // own number format
    AddRecord(out, kStyle, std::string("\x00\x80\x00\xFF", 4));  // Normal, built in
    return out;
}

std::string SheetName() {
    std::string data;
    constexpr std::string_view kName = "Sheet1";
    Add8(data, static_cast<std::uint8_t>(kName.size()));
    Add8(data, 0);
    data += kName;
    return data;
}

// UTF-16LE units of a local text, cut before kMaxStringUnits without splitting a pair.
std::string StringUnits(const std::string& local) {
    std::string units = ToUtf16(local, true);
    if (units.size() > 2 * kMaxStringUnits) {
        std::size_t keep = 2 * kMaxStringUnits;
        const auto high = static_cast<unsigned char>(units[keep - 1]);
        if (high >= 0xD8 && high <= 0xDB) keep -= 2;
        units.resize(keep);
    }
    return units;
}

// The shared string table: strings over 8224 bytes of record data go on in
// CONTINUE records, each repeating the options byte where a string is cut.
class StringTable {
  public:
    // The first record's data begins with the two counts, filled in at the end.
    explicit StringTable(std::size_t bucketSize) : bucketSize_(bucketSize), data_(8, '\0') {}

    void Add(const std::string& units) {
        if (data_.size() + 3 + 2 > kMaxRecordData) Flush();
        if (count_++ % bucketSize_ == 0) buckets_.push_back({out_.size(), data_.size()});
        Add16(data_, static_cast<std::uint16_t>(units.size() / 2));
        Add8(data_, kUnicodeChars);
        std::string_view left = units;
        while (!left.empty()) {
            std::size_t room = (kMaxRecordData - data_.size()) & ~std::size_t{1};
            if (room == 0) {
                Flush();
                Add8(data_, kUnicodeChars);
                room = (kMaxRecordData - data_.size()) & ~std::size_t{1};
            }
            const std::size_t take = std::min(room, left.size());
            data_ += left.substr(0, take);
            left.remove_prefix(take);
        }
    }

    // The SST and CONTINUE records, then EXTSST with offsets from `at`, where
    // the SST record starts in the stream.
    std::string Records(std::uint32_t total, std::size_t at) {
        Flush();
        std::string counts;
        Add32(counts, total);
        Add32(counts, static_cast<std::uint32_t>(count_));
        out_.replace(4, counts.size(), counts);

        std::string ext;
        Add16(ext, static_cast<std::uint16_t>(bucketSize_));
        for (const Bucket& bucket : buckets_) {
            Add32(ext, static_cast<std::uint32_t>(at + bucket.record + 4 + bucket.offset));
            Add16(ext, static_cast<std::uint16_t>(4 + bucket.offset));
            Add16(ext, 0);
        }
        std::string records = out_;
        AddRecord(records, kExtSst, ext);
        return records;
    }

  private:
    struct Bucket {
        std::size_t record;  // where its record starts in out_
        std::size_t offset;  // where the string starts in that record's data
    };

    void Flush() {
        if (data_.empty()) return;
        AddRecord(out_, out_.empty() ? kSst : kContinue, data_);
        data_.clear();
    }

    std::size_t bucketSize_;
    std::size_t count_ = 0;
    std::string out_;
    std::string data_;
    std::vector<Bucket> buckets_;
};

struct Cells {
    std::string records;  // LABELSST and BLANK
    std::vector<std::string> strings;
    std::uint32_t labelCount = 0;
    std::uint16_t columns = 0;
};

Cells BuildCells(const SheetRows& rows) {
    Cells cells;
    std::unordered_map<std::string, std::uint32_t> index;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            cells.columns = std::max(cells.columns, static_cast<std::uint16_t>(c + 1));
            std::string data;
            Add16(data, static_cast<std::uint16_t>(r));
            Add16(data, static_cast<std::uint16_t>(c));
            Add16(data, kTextXf);
            std::string units = StringUnits(rows[r][c]);
            if (units.empty()) {
                AddRecord(cells.records, kBlank, data);
                continue;
            }
            auto [it, added] =
                index.try_emplace(units, static_cast<std::uint32_t>(cells.strings.size()));
            if (added) cells.strings.push_back(std::move(units));
            Add32(data, it->second);
            AddRecord(cells.records, kLabelSst, data);
            ++cells.labelCount;
        }
    }
    return cells;
}

std::string Globals(const Cells& cells) {
    std::string out;
    AddRecord(out, kBof, Bof(0x0005));
    AddRecord(out, kCodePage, std::string("\xB0\x04", 2));  // 1200: UTF-16
    AddRecord(out, kWindow1, Window1());
    for (int i = 0; i < 4; ++i)
        AddRecord(out, kFont, Font());
    out += CellFormats();
    const std::size_t sheetOffsetAt = out.size() + 4;
    AddRecord(out, kBoundSheet, std::string(6, '\0') + SheetName());

    // At least 8 strings a bucket, and no more than 128 buckets.
    StringTable table(std::max<std::size_t>(8, cells.strings.size() / 128 + 1));
    for (const std::string& units : cells.strings)
        table.Add(units);
    out += table.Records(cells.labelCount, out.size());
    AddRecord(out, kEof, {});

    std::string offset;
    Add32(offset, static_cast<std::uint32_t>(out.size()));
    out.replace(sheetOffsetAt, 4, offset);
    return out;
}

std::string Worksheet(const Cells& cells, std::size_t rowCount) {
    std::string out;
    AddRecord(out, kBof, Bof(0x0010));
    std::string dimensions;
    Add32(dimensions, 0);
    Add32(dimensions, static_cast<std::uint32_t>(rowCount));
    Add16(dimensions, 0);
    Add16(dimensions, cells.columns);
    Add16(dimensions, 0);
    AddRecord(out, kDimensions, dimensions);
    out += cells.records;
    std::string window;
    for (std::uint16_t value : {0x06B6, 0, 0, 0x0040, 0, 0, 0, 0, 0})
        Add16(window, value);
    AddRecord(out, kWindow2, window);
    AddRecord(out, kEof, {});
    return out;
}

}  // namespace

std::optional<std::string> BuildXlsFile(const SheetRows& rows) {
    if (rows.size() > kMaxRows) return std::nullopt;
    for (const auto& row : rows) {
        if (row.size() > kMaxColumns) return std::nullopt;
    }
    const Cells cells = BuildCells(rows);
    return BuildCompoundFile("Workbook", Globals(cells) + Worksheet(cells, rows.size()));
}

}  // namespace vantrel
