#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class ScriptEngine;

// What the engine reported about the last failure of a Load; all zero and
// empty after a Load that parsed. All texts are local text. The engine gives
// number (its error code: 1 Error ... 5 SyntaxError ... 7 URIError), source
// (the error's name, such as "SyntaxError"), description (its message) and
// line where it knows one; it has no help file, help context, copy of the
// failing text or column, so those stay empty or 0.
struct JsonError {
    std::int32_t number = 0;
    std::string source;
    std::string description;
    std::string helpFile;
    std::int32_t helpContext = 0;
    std::string text;
    std::int32_t line = 0;
    std::int32_t column = 0;
};

// TypeOf codes. Code 3 is not used.
enum JsonType : int {
    kJsonNull = 0,  // null, undefined, or a member missing under an existing parent
    kJsonBoolean = 1,
    kJsonNumber = 2,
    kJsonObject = 4,
    kJsonArray = 5,
    kJsonString = 6,
    kJsonOther = -1,  // anything else, or a path whose parent is missing
};

// A JSON document held in a script variable of an embedded ECMAScript engine.
// Paths are script member expressions built by the program ("cards[0].desc",
// "['item_list'][0]"), relative to the root variable; they are never taken from
// network text. Documents and text values are never run as script: Load parses
// with JSON.parse and writers pass values in as escaped string literals.
//
// Copies share the engine (two views of one script variable); the engine lives
// as long as its last holder. Nothing throws: failures give false, the empty
// text, 0 or -1. Every text in and out is local text.
//
// A writer's logical result is its script's completion value (an assigned
// number or the new length of an array is true, an assigned text or object
// is false); it is not a success report.
class JsonObject {
  public:
    // A new instance with the root name "da", initialised.
    static JsonObject Create();

    // An instance with the root name "da" but without engine; every operation
    // fails until Init.
    JsonObject() = default;

    // Releases this instance's reference to the engine.
    void Destroy();
    // Another view of the same engine.
    JsonObject Copy() const;
    // Takes a fresh engine with the prelude and an empty root object (one kept
    // from an earlier instance when there is one, reset to that same state).
    // When no engine can be started the instance holds none.
    void Init();
    // Restarts the engine and parses text as JSON into the root. A text that
    // is not JSON leaves the root null and gives false; both forms parse alike,
    // except that an empty text leaves the root undefined when plainForm is
    // false. With wantError the engine's report goes into error.
    bool Load(const std::string& text, bool plainForm, JsonError& error, bool wantError);
    // Sets the root to an empty object.
    bool Clear();
    // The root as JSON.
    std::string ToText();
    // Stores value at path: as a text, or (valueIsJson) parsed as JSON and,
    // when both the target and the value are objects, merged into the target.
    // Inside the engine a stored text keeps each backslash as U+2400; text
    // results (ToText, GetText, GetJson, GetElementText, GetObject) turn it
    // back into a backslash (written "\\" in JSON text).
    bool SetValue(const std::string& path, const std::string& value, bool valueIsJson);
    // Stores the value of a program-built script expression at path.
    bool SetByEval(const std::string& path, const std::string& expression);
    // Rewrites path into a full script expression from the root; true when it
    // names a value that is neither null nor undefined.
    bool ResolvePath(std::string& path);
    bool Exists(const std::string& path);
    int TypeOf(const std::string& path);
    // The value at path as JSON, or (jsonForm false) as the script's own text
    // of it: "15000", "true", "1,2", "[object Object]".
    std::string GetText(const std::string& path, bool jsonForm);
    // The names of the object's members (not function-valued); 0 when path
    // holds no object.
    int GetMemberNames(std::vector<std::string>& names, const std::string& path);
    // The length of the array at path, else 0.
    int GetCount(const std::string& path);
    // For each element of the array at path (GetCount(path) of them), the
    // text of each named member, as GetText(path[k].name, false) gives it.
    // One script reads the whole array, where reading the values one by one
    // costs a script each.
    using TextRows = std::vector<std::vector<std::string>>;
    TextRows GetElementTexts(const std::string& path, const std::vector<std::string>& names);
    // The same for the array in member inner of each element of the array at
    // path: one set of rows per element (none where inner holds no array).
    std::vector<TextRows> GetNestedElementTexts(const std::string& path, const std::string& inner,
                                                const std::vector<std::string>& names);
    // A new instance (own engine) holding a copy of the value at path.
    JsonObject GetObject(const std::string& path);
    // Appends (or, atStart, prepends) value to the array at path; a path that
    // holds no array first becomes an empty one.
    bool AddElement(const std::string& value, const std::string& path, bool valueIsJson,
                    bool atStart);
    JsonObject GetElementObject(int index, const std::string& path);
    // Element index of the array at path; the plain form serves string
    // elements only.
    std::string GetElementText(int index, const std::string& path, bool jsonForm);
    bool SetElement(int index, const std::string& path, const std::string& value, bool valueIsJson);
    bool RemoveElement(int index, const std::string& path);
    bool Delete(const std::string& path);
    bool SetNumber(const std::string& path, double number);
    double GetNumber(const std::string& path);
    std::string GetJson(const std::string& path);
    std::shared_ptr<ScriptEngine> GetEngine() const;
    // Every string, number and boolean value under path (recursive: also those
    // of nested objects and arrays), as the script's text of each, with any
    // U+2400 left as it is. A last value that is empty is not counted.
    int GetAllValues(std::vector<std::string>& values, const std::string& path, bool recursive);

  private:
    // The path rewritten by ResolvePath; the caller's text stays as it is.
    std::string Resolved(const std::string& path);
    std::string RewrittenPath(const std::string& path) const;
    bool LoadEngineText(std::string_view text, bool plainForm, JsonError* error);
    // A new instance holding what the stringify script gives on this engine.
    enum class Access { kAny, kRead };
    static Access AccessFor(const std::string& path);
    JsonObject ObjectFrom(const std::string& stringifyScript, Access access);
    // One evaluation of a local-text script, converted by kind; without an
    // engine every one fails. A script that only reads (one built around a
    // plain path) says so, which keeps its compiled form and the engine clean.
    bool Logical(const std::string& script, Access access = Access::kAny);
    std::string Text(const std::string& script, Access access = Access::kAny);
    double Number(const std::string& script, Access access = Access::kAny);
    // The script's text result as the engine gives it; needs an engine.
    std::string EngineText(const std::string& script, Access access);
    // Text results with stored backslashes given back (the plain form).
    std::string PlainText(const std::string& script, Access access);
    std::vector<std::string> PlainTexts(const std::string& script, Access access);
    bool Run(const std::string& script);

    std::string rootName_ = "da";
    std::shared_ptr<ScriptEngine> engine_;
};

}  // namespace vantrel
