#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "json/engine_text.h"
#include "json/script_engine.h"
#include "json_test_support.h"

namespace vantrel::test {
namespace {

const std::string kMarker = "\xE2\x90\x80";  // U+2400 in UTF-8

TEST(JsonPaths, RootIndexAndPrefixRewriting) {
    JsonObject json = Loaded(R"([{"da":1,"data":{"x":"y"}},2])");
    EXPECT_EQ(json.GetText("", true), R"([{"da":1,"data":{"x":"y"}},2])");
    EXPECT_EQ(json.GetText("[1]", false), "2");
    EXPECT_EQ(json.GetText("[0].data.x", false), "y");

    std::string path = "[0]['data']";
    EXPECT_TRUE(json.ResolvePath(path));
    EXPECT_EQ(path, "da[0]['data']");
    path = "da[0]";  // already a full expression: tried as it stands and kept
    EXPECT_TRUE(json.ResolvePath(path));
    EXPECT_EQ(path, "da[0]");
    path = "data";  // begins with the root name but names nothing as it stands
    EXPECT_FALSE(json.ResolvePath(path));
    EXPECT_EQ(path, "da.data");
    path = "";
    EXPECT_TRUE(json.ResolvePath(path));
    EXPECT_EQ(path, "da");

    const std::string caller = "[0].data";
    EXPECT_TRUE(json.Exists(caller));
    EXPECT_EQ(caller, "[0].data");  // other operations work on a copy
}

TEST(JsonReaders, TypeOfCodes) {
    JsonObject json = Loaded(R"({"s":"t","n":1.5,"b":false,"o":{},"a":[],"z":null})");
    EXPECT_EQ(json.TypeOf("s"), kJsonString);
    EXPECT_EQ(json.TypeOf("n"), kJsonNumber);
    EXPECT_EQ(json.TypeOf("b"), kJsonBoolean);
    EXPECT_EQ(json.TypeOf("o"), kJsonObject);
    EXPECT_EQ(json.TypeOf("a"), kJsonArray);
    EXPECT_EQ(json.TypeOf("z"), kJsonNull);
    EXPECT_EQ(json.TypeOf("missing"), kJsonNull);         // missing member, parent exists
    EXPECT_EQ(json.TypeOf("missing.child"), kJsonOther);  // missing parent
    EXPECT_EQ(json.TypeOf("s.length.x.y"), kJsonOther);
}

TEST(JsonReaders, PlainAndJsonForms) {
    JsonObject json = Loaded(R"({"n":15000,"f":1.5,"t":true,"o":{"k":1},"a":[1,2],"z":null})");
    EXPECT_EQ(json.GetText("n", false), "15000");
    EXPECT_EQ(json.GetText("f", false), "1.5");
    EXPECT_EQ(json.GetText("t", false), "true");
    EXPECT_EQ(json.GetText("o", false), "[object Object]");
    EXPECT_EQ(json.GetText("a", false), "1,2");
    EXPECT_EQ(json.GetText("z", false), "");
    EXPECT_EQ(json.GetText("missing", false), "");
    EXPECT_EQ(json.GetText("missing.child", true), "");
    EXPECT_EQ(json.GetText("o", true), R"({"k":1})");
    EXPECT_EQ(json.GetJson("a"), "[1,2]");
    EXPECT_EQ(json.GetElementText(1, "a", true), "2");
    EXPECT_EQ(json.GetElementText(1, "a", false), "");  // plain form serves strings only
    EXPECT_EQ(json.GetElementText(9, "a", true), "");
}

TEST(JsonReaders, CountsAndNumbers) {
    JsonObject json =
        Loaded(R"({"a":[1,[2,3],{}],"o":{"length":4},"s":"abc","t":true,"q":"12.5"})");
    EXPECT_EQ(json.GetCount("a"), 3);
    EXPECT_EQ(json.GetCount("a[1]"), 2);
    EXPECT_EQ(json.GetCount("o"), 0);
    EXPECT_EQ(json.GetCount("s"), 0);
    EXPECT_EQ(json.GetCount("missing"), 0);
    EXPECT_EQ(json.GetCount("missing.child"), 0);
    // Sparse arrays: a count an int holds is read as it is, a larger one as 0.
    json.SetValue("a.length", "2147483647", true);
    EXPECT_EQ(json.GetCount("a"), 2147483647);
    json.SetValue("a.length", "2147483648", true);
    EXPECT_EQ(json.GetCount("a"), 0);
    json.SetValue("a.length", "3", true);
    EXPECT_EQ(json.GetNumber("a[1][1]"), 3);
    EXPECT_EQ(json.GetNumber("t"), -1);
    EXPECT_EQ(json.GetNumber("q"), 12.5);
    EXPECT_EQ(json.GetNumber("s"), 0);
    EXPECT_EQ(json.GetNumber("missing.child"), 0);
}

// Each element's named members, read one by one.
JsonObject::TextRows OneByOne(JsonObject& json, const std::string& array,
                              const std::vector<std::string>& names) {
    JsonObject::TextRows rows(json.GetCount(array));
    for (std::size_t k = 0; k < rows.size(); ++k) {
        for (const std::string& name : names)
            rows[k].push_back(json.GetText(array + "[" + std::to_string(k) + "]." + name, false));
    }
    return rows;
}

// Reading a whole array in one script gives, value for value, what reading
// each member one by one gives: strings, numbers, booleans, objects, arrays,
// null, missing members, elements that are no objects, stored backslashes,
// Chinese text and characters beyond U+FFFF. A value whose toString()
// throws sends the whole read down the slower value-by-value path ("throws").
TEST(JsonReaders, WholeArrayReadsMatchOneByOneReads) {
    const std::string document = R"({"rows":[
        {"w":"热搜)" + kMarker + R"(一","n":12,"x":{"k":1}},
        {"w":true,"n":null,"x":[1,"二"]},
        {"n":-0.5},
        7, null, "text",
        {"w":"\ud83d\ude00 \\ end","n":1e21,"x":"\u2028"}],
      "throws":[{"w":"a","n":1},{"w":{"toString":0},"n":2},null,{"w":"热","x":[3]}],
      "nested":[{"in":[{"w":"a"},{"w":2},3]},{"in":{"w":"no array"}},5,{"in":[]}],
      "nestedThrows":[{"in":[{"w":"a","n":1},{"w":2}]},{"in":[{"w":{"toString":0},"n":4}]},
                      null,{"in":[{"w":"热"},{"w":[3],"n":"五"},{"w":"x"}]}],
      "object":{"0":{"w":"not an array"}}})";
    JsonObject json = Loaded(document);
    const std::vector<std::string> names = {"w", "n", "x"};

    for (const char* array : {"rows", "throws"})
        EXPECT_EQ(json.GetElementTexts(array, names), OneByOne(json, array, names)) << array;
    const JsonObject::TextRows rows = json.GetElementTexts("rows", names);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(U(rows[0][0]), "热搜\\一");
    EXPECT_EQ(rows[0][1], "12");
    EXPECT_EQ(rows[3][0], "");
    EXPECT_EQ(rows[6][1], "1e+21");
    const JsonObject::TextRows throws = json.GetElementTexts("throws", names);
    ASSERT_EQ(throws.size(), 4u);
    EXPECT_EQ(throws[1][0], "");
    EXPECT_EQ(U(throws[3][0]), "热");

    // Two names a row, so that a row count is no count of values.
    for (const std::string array : {"nested", "nestedThrows"}) {
        const std::vector<JsonObject::TextRows> nested =
            json.GetNestedElementTexts(array, "in", {"w", "n"});
        ASSERT_EQ(static_cast<int>(nested.size()), json.GetCount(array)) << array;
        for (std::size_t k = 0; k < nested.size(); ++k) {
            const std::string inner = array + "[" + std::to_string(k) + "].in";
            EXPECT_EQ(nested[k], OneByOne(json, inner, {"w", "n"})) << inner;
        }
    }
    EXPECT_EQ(json.GetNestedElementTexts("nested", "in", {"w"})[0].size(), 3u);
    EXPECT_EQ(json.GetNestedElementTexts("nestedThrows", "in", {"w", "n"})[3].size(), 3u);

    EXPECT_TRUE(json.GetElementTexts("object", names).empty());
    EXPECT_TRUE(json.GetElementTexts("missing", names).empty());
    EXPECT_TRUE(json.GetElementTexts("rows", {}).empty());
    // Member names are data, never script.
    EXPECT_EQ(json.GetElementTexts("rows", {"w'); da = 1; ('"})[0][0], "");
    EXPECT_EQ(json.GetCount("rows"), 7);

    // A number the engine hands back is written as "%.13g" writes it.
    for (const char* number : {"0", "-0", "7", "-3", "9999999999999", "10000000000000", "2.5"}) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "%.13g", std::strtod(number, nullptr));
        EXPECT_EQ(json.GetEngine()->EvalText(number), expected) << number;
    }
    // Other values as the script's own String() has them, but null and
    // undefined as nothing.
    const std::pair<const char*, const char*> others[] = {
        {"true", "true"},  {"false", "false"},          {"null", ""},
        {"undefined", ""}, {"({})", "[object Object]"}, {"[1, 'a']", "1,a"}};
    for (const auto& [code, expected] : others)
        EXPECT_EQ(json.GetEngine()->EvalText(code), expected) << code;
}

TEST(JsonReaders, MemberNamesAndAllValues) {
    JsonObject json = Loaded(R"({"名称":"甲","b":{"c":2,"d":[true,""]},"e":"","f":"x","g":""})");
    std::vector<std::string> out = {"old"};
    ASSERT_EQ(json.GetMemberNames(out, ""), 5);
    EXPECT_EQ(U(out[0]), "名称");
    EXPECT_EQ(out[4], "g");
    EXPECT_EQ(json.GetMemberNames(out, "b.d"), 0);  // an array has no member names
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(json.GetMemberNames(out, "missing.child"), 0);

    // The last value is empty and is dropped; the empty values before it stay.
    ASSERT_EQ(json.GetAllValues(out, "", true), 6);
    EXPECT_EQ(U(out[0]), "甲");
    EXPECT_EQ(out[1], "2");
    EXPECT_EQ(out[2], "true");
    EXPECT_EQ(out[3], "");
    EXPECT_EQ(out[4], "");
    EXPECT_EQ(out[5], "x");
    EXPECT_EQ(json.GetAllValues(out, "", false), 3);  // nested left out, last empty dropped
    EXPECT_EQ(json.GetAllValues(out, "missing", true), 0);
    EXPECT_TRUE(out.empty());
}

TEST(JsonWriters, TextValuesAreStoredExactly) {
    const std::string hostile =
        L("it's \"q\" \\ back\r\nline\xE2\x80\xA8sep\xE2\x80\xA9 😀 '); da = 1; ('"
          // U+007F, U+0080, é, ·, U+07FF, U+0800, U+FFFD: each end of the two-byte forms;
          // U+10000 and U+10FFFF: each end of the surrogate pairs.
          " \x7F \xC2\x80 é·\xDF\xBF \xE0\xA0\x80 \uFFFD \xF0\x90\x80\x80 \xF4\x8F\xBF\xBF");
    JsonObject json = JsonObject::Create();
    EXPECT_FALSE(json.SetValue("v", hostile, false));  // an assigned text reads as false
    // ... unless it reads as a number other than 0, or as "true" in any case.
    EXPECT_TRUE(json.SetValue("w", "TRUE", false));
    EXPECT_TRUE(json.SetValue("w", "-0.5", false));
    EXPECT_FALSE(json.SetValue("w", "0", false));
    EXPECT_FALSE(json.SetValue("w", "yes", false));
    EXPECT_EQ(json.GetText("v", false), hostile);
    EXPECT_TRUE(json.AddElement(hostile, "list", false, false));  // new length 1
    EXPECT_TRUE(json.AddElement("first", "list", false, true));
    EXPECT_EQ(json.GetCount("list"), 2);
    EXPECT_EQ(json.GetElementText(1, "list", false), hostile);
    json.SetElement(0, "list", hostile, false);
    EXPECT_EQ(json.GetElementText(0, "list", false), hostile);
    EXPECT_EQ(json.TypeOf(""), kJsonObject);  // nothing broke out of a literal

    // A surrogate without its partner has no character: the replacement one.
    JsonObject lone = Loaded(R"(["\ud83d!","\ud83d\ude00"])");
    EXPECT_EQ(U(lone.GetElementText(0, "", false)), "\uFFFD!");
    EXPECT_EQ(U(lone.GetElementText(1, "", false)), "😀");
}

TEST(JsonWriters, BackslashMarker) {
    JsonObject json = JsonObject::Create();
    json.SetValue("p", "C:\\dir\\file", false);
    EXPECT_EQ(json.GetText("p", false), "C:\\dir\\file");
    // JSON text writes the backslash as JSON does, so it reads back as stored.
    EXPECT_EQ(json.ToText(), R"({"p":"C:\\dir\\file"})");
    EXPECT_EQ(json.GetObject("").GetText("p", false), "C:\\dir\\file");
    std::vector<std::string> values;
    ASSERT_EQ(json.GetAllValues(values, "", false), 1);
    EXPECT_EQ(U(values[0]), "C:" + kMarker + "dir" + kMarker + "file");
    // A marker in a loaded document leaves as a backslash; a backslash stays one.
    JsonObject loaded = Loaded(R"({"m":"a)" + kMarker + R"(b","r":"c\\d"})");
    EXPECT_EQ(loaded.GetText("m", false), "a\\b");
    EXPECT_EQ(loaded.GetText("r", false), "c\\d");
    ASSERT_EQ(loaded.GetAllValues(values, "", false), 2);
    EXPECT_EQ(U(values[0]), "a" + kMarker + "b");
    EXPECT_EQ(values[1], "c\\d");
}

TEST(JsonWriters, JsonValuesMergeOrReplace) {
    JsonObject json = Loaded(R"({"o":{"s":"a","n":1,"k":{"x":1},"z":null},"a":[1]})");
    json.SetValue("o", R"({"s":"b","n":2,"k":{"y":2},"z":{"w":3},"new":true})", true);
    EXPECT_EQ(json.GetJson("o"), R"({"s":"b","n":2,"k":{"x":1,"y":2},"z":{"w":3},"new":true})");
    json.SetValue("a", "[2,3]", true);  // not an object: replaced
    EXPECT_EQ(json.GetJson("a"), "[2,3]");
    json.SetValue("e", "", true);  // empty means an empty object
    EXPECT_EQ(json.GetJson("e"), "{}");
    // A value that is not JSON is not run and changes nothing.
    EXPECT_FALSE(json.SetValue("a", "(function(){ da.hit = 1 })()", true));
    EXPECT_FALSE(json.AddElement("da.hit = 1", "o", true, false));
    EXPECT_FALSE(json.SetElement(0, "a", "{bad", true));
    EXPECT_EQ(json.GetJson("a"), "[2,3]");
    EXPECT_EQ(json.TypeOf("o"), kJsonObject);  // not turned into an array
    EXPECT_FALSE(json.Exists("hit"));
    EXPECT_TRUE(json.AddElement(R"({"v":1})", "a", true, false));
    EXPECT_EQ(json.GetJson("a"), R"([2,3,{"v":1}])");
}

TEST(JsonWriters, ElementsNumbersDeleteClear) {
    JsonObject json = Loaded(R"({"a":[1,2,3],"s":"x"})");
    EXPECT_TRUE(json.AddElement("4", "s", true, false));  // a non-array becomes one first
    EXPECT_EQ(json.GetJson("s"), "[4]");
    EXPECT_FALSE(json.RemoveElement(1, "a"));  // yields the removed elements, an object
    EXPECT_EQ(json.GetJson("a"), "[1,3]");
    EXPECT_TRUE(json.SetNumber("n", 1.0 / 3));
    EXPECT_EQ(json.GetJson("n"), "0.3333333333333");
    EXPECT_EQ(json.GetNumber("n"), 0.3333333333333);
    EXPECT_TRUE(json.SetNumber("n", -2.75));
    EXPECT_EQ(json.GetNumber("n"), -2.75);
    EXPECT_TRUE(json.SetByEval("e", "'6*7'"));
    EXPECT_EQ(json.GetNumber("e"), 42);
    EXPECT_TRUE(json.Delete("e"));
    EXPECT_EQ(json.TypeOf("e"), kJsonNull);
    EXPECT_FALSE(json.Clear());
    EXPECT_EQ(json.ToText(), "{}");
}

TEST(JsonLoad, TextsThatAreNotJsonFailAndRunNothing) {
    const std::string notJson[] = {
        "<!DOCTYPE html><html><body>busy</body></html>",
        R"({"a":1};throw 1)",
        "(function(){ while (true) {} })()",  // would never return if it ran
        "while (true) {}",
        "{a:1}",
        std::string(100000, '['),
        "",
        "   ",
    };
    for (const std::string& text : notJson) {
        for (bool plainForm : {false, true}) {
            JsonObject json = JsonObject::Create();
            JsonError error;
            EXPECT_FALSE(json.Load(text, plainForm, error, false)) << text.substr(0, 40);
            EXPECT_EQ(json.GetCount("cards"), 0);
            EXPECT_EQ(json.GetText("data.cards[0].content", false), "");
            EXPECT_EQ(json.TypeOf("x.y"), kJsonOther);
        }
    }
    // A string document is data: its content is never evaluated.
    JsonObject json = Loaded(R"("while (true) {}")");
    EXPECT_EQ(json.GetText("", false), "while (true) {}");
    EXPECT_EQ(json.GetObject("").ToText(), R"("while (true) {}")");
}

TEST(JsonLoad, EmptyTextRootAndErrorRecord) {
    JsonObject json = JsonObject::Create();
    JsonError error;
    EXPECT_FALSE(json.Load("", false, error, true));
    EXPECT_EQ(json.ToText(), "");  // nothing evaluates to undefined
    EXPECT_EQ(error.number, 0);
    EXPECT_FALSE(json.Load("", true, error, true));
    EXPECT_EQ(json.ToText(), "null");
    EXPECT_EQ(error.number, 5);

    EXPECT_FALSE(json.Load("{\"a\":", false, error, true));
    EXPECT_EQ(error.number, 5);
    EXPECT_EQ(error.source, "SyntaxError");
    EXPECT_FALSE(error.description.empty());
    EXPECT_TRUE(json.Load("{\"a\":1}", false, error, true));
    EXPECT_EQ(error.number, 0);
    EXPECT_EQ(error.source, "");
    EXPECT_EQ(error.description, "");
    error.number = 77;
    EXPECT_FALSE(json.Load("x", false, error, false));
    EXPECT_EQ(error.number, 77);  // untouched without want error
}

TEST(JsonObjects, GetObjectCopiesValues) {
    JsonObject json = Loaded(R"({"n":12345,"a":[{"k":"v"},true],"s":"text"})");
    JsonObject number = json.GetObject("n");
    EXPECT_EQ(number.ToText(), "12345");
    EXPECT_NE(number.GetEngine(), json.GetEngine());
    JsonObject element = json.GetElementObject(0, "a");
    EXPECT_EQ(element.GetText("k", false), "v");
    element.SetValue("k", "changed", false);
    EXPECT_EQ(json.GetText("a[0].k", false), "v");  // a copy, not a view
    EXPECT_EQ(json.GetObject("s").GetText("", false), "text");
    EXPECT_EQ(json.GetObject("missing").ToText(), "");
    EXPECT_EQ(json.GetElementObject(5, "a").ToText(), "");
}

TEST(JsonObjects, CopiesShareTheEngine) {
    JsonObject json = JsonObject::Create();
    json.SetValue("x", "1", false);
    JsonObject view = json.Copy();
    EXPECT_EQ(view.GetEngine(), json.GetEngine());
    view.SetValue("y", "2", false);
    EXPECT_EQ(json.GetText("y", false), "2");
    JsonError error;
    ASSERT_TRUE(json.Load("{\"z\":3}", false, error, false));  // restarts only its own engine
    EXPECT_NE(view.GetEngine(), json.GetEngine());
    EXPECT_EQ(json.TypeOf("x"), kJsonNull);  // earlier script state is gone
    EXPECT_EQ(view.GetText("x", false), "1");
    json.Destroy();
    EXPECT_EQ(json.GetEngine(), nullptr);
    EXPECT_EQ(json.GetText("z", false), "");
    EXPECT_EQ(view.GetText("y", false), "2");  // the copy keeps the engine alive
}

TEST(JsonObjects, LoadLeavesACopyThatSharesTheEngineAlone) {
    JsonObject json = JsonObject::Create();
    JsonError error;
    ASSERT_TRUE(json.Load("{\"v\":1}", false, error, false));  // an untouched engine, reused
    JsonObject copy = json.Copy();
    ASSERT_TRUE(json.Load("{\"v\":2}", false, error, false));
    EXPECT_EQ(json.GetNumber("v"), 2);
    EXPECT_EQ(copy.GetNumber("v"), 1);
}

// The heap holds a value as long as the longest body read (64 MiB), and a
// script that would grow past four times that is stopped inside the engine.
TEST(JsonObjects, TheEngineHeapIsBounded) {
    JsonObject json = JsonObject::Create();
    const std::string grow =
        "(function () { var s = 'xxxxxxxx'; while (s.length < %) s += s; return s.length; })()";
    auto growTo = [&](const std::string& length) {
        std::string script = grow;
        return json.SetByEval("n", script.replace(script.find('%'), 1, length));
    };
    EXPECT_TRUE(growTo("67108864"));
    EXPECT_EQ(json.GetNumber("n"), 67108864);
    EXPECT_FALSE(growTo("268435456"));
    EXPECT_EQ(json.GetNumber("n"), 67108864);
}

TEST(EngineText, InputCutInsideACharacterReadsNothingBeyondTheCut) {
    // The views end inside 中 (UTF-8 E4 B8 AD; GB18030 D6 D0); the bytes after
    // the cut would complete it.
    const std::string_view engine = "a\xE4\xB8\xAD";
    const std::string replacement = "\x84\x31\xA4\x37";
    EXPECT_EQ(EngineToLocal(engine.substr(0, 3)), "a" + replacement + replacement);
    EXPECT_EQ(EngineToLocal(engine.substr(0, 2)), "a" + replacement);
    EXPECT_EQ(EngineToLocal(engine), "a\xD6\xD0");
    const std::string_view local = "a\xD6\xD0";
    EXPECT_EQ(LocalToEngine(local.substr(0, 2)), "a\xEF\xBF\xBD");
}

class JsonWithoutEngine : public ::testing::Test {
  protected:
    void TearDown() override { ScriptEngine::SetMemoryLimit(std::size_t{256} << 20); }
};

TEST_F(JsonWithoutEngine, EveryOperationFailsQuietly) {
    ScriptEngine::SetMemoryLimit(4096);
    JsonObject json = JsonObject::Create();
    ScriptEngine::SetMemoryLimit(std::size_t{256} << 20);
    EXPECT_EQ(json.GetEngine(), nullptr);
    JsonError error;
    EXPECT_FALSE(json.Load("{\"a\":[1]}", false, error, true));  // no second try
    EXPECT_EQ(json.GetEngine(), nullptr);
    EXPECT_EQ(json.GetCount("a"), 0);
    EXPECT_EQ(json.TypeOf("a"), kJsonOther);
    EXPECT_EQ(json.ToText(), "");
    EXPECT_FALSE(json.SetNumber("a", 1));
    std::vector<std::string> out = {"old"};
    EXPECT_EQ(json.GetAllValues(out, "", true), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(json.GetObject("a").ToText(), "");
}

TEST_F(JsonWithoutEngine, DocumentLargerThanTheEngineMayHold) {
    ScriptEngine::SetMemoryLimit(8u << 20);
    std::string big = "[";
    for (int i = 0; i < 400000; ++i)
        big += "{\"k\":\"value\"},";
    big += "0]";
    JsonObject json = JsonObject::Create();
    ASSERT_NE(json.GetEngine(), nullptr);
    JsonError error;
    EXPECT_FALSE(json.Load(big, false, error, true));
    EXPECT_EQ(json.GetCount(""), 0);
    ScriptEngine::SetMemoryLimit(std::size_t{256} << 20);
    EXPECT_TRUE(json.Load(big, false, error, false));  // a new engine with room
    EXPECT_EQ(json.GetCount(""), 400001);
}

}  // namespace
}  // namespace vantrel::test
