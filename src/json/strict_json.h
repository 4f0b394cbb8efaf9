#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// A JSON value read from a file a person edits: strict RFC 8259 text in UTF-8,
// so a typo is reported where it is instead of being half understood.
struct JsonMember;

struct JsonValue {
    enum class Kind { kNull, kBoolean, kNumber, kString, kArray, kObject };
    Kind kind = Kind::kNull;
    bool boolean = false;
    double number = 0;
    std::string text;                 // kString: UTF-8
    std::vector<JsonValue> items;     // kArray
    std::vector<JsonMember> members;  // kObject, in the text's order

    // The member called name, or nullptr (also when this is no object).
    const JsonValue* Member(std::string_view name) const;
};

// Its own type rather than a std::pair: some compilers refuse a pair that
// holds the value being defined.
struct JsonMember {
    std::string name;
    JsonValue value;
};

// Where reading stopped: 1-based line and column (in characters), and why.
struct JsonFault {
    int line = 0;
    int column = 0;
    std::string what;  // UTF-8, for the person who edits the file

    // "第 L 行第 C 列：what"
    std::string Text() const;
};

// The value the whole text holds. Refused: bytes that are not UTF-8, lone
// surrogates, duplicate member names, nesting deeper than 32, anything after
// the value. A UTF-8 byte-order mark in front is skipped.
std::optional<JsonValue> ReadStrictJson(std::string_view utf8, JsonFault& fault);

}  // namespace vantrel
