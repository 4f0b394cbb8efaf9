#include "json/json_object.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "json/engine_pool.h"
#include "json/engine_text.h"
#include "json/script_engine.h"
#include "net/code_page.h"

namespace vantrel {
namespace {

// Script helpers every engine gets before the root. The engine brings its own
// JSON object, so serialising and parsing need nothing here. The helpers skip
// function-valued members so that methods added to prototypes never count as
// data.
constexpr std::string_view kPrelude = R"js(
function get__nodeValue(str_json, recursion) {
    for (var name in str_json) {
        var value = str_json[name];
        var kind = Object.prototype.toString.call(value);
        if (kind == '[object Object]' || kind == '[object Array]') {
            if (recursion) get__nodeValue(value, recursion);
        } else if (kind == '[object String]' || kind == '[object Number]' ||
                   kind == '[object Boolean]') {
            str_all.push(value);
        }
    }
    return str_all;
}
function get__count(c) {
    return Array.isArray(c) ? c.length : 0;
}
function get__texts_each(a, names) {
    var n = get__count(a), texts = [];
    for (var k = 0; k < n; k++) {
        for (var m = 0; m < names.length; m++) {
            var text = '';
            try { text = a[k][names[m]].toString(); } catch (e) {}
            texts.push(text);
        }
    }
    return texts;
}
// These give what the _each forms give. One try around the whole walk costs
// the engine far less than one per value, so the walk goes without: it gives
// missing elements and values their empty text itself (x == null holds for
// null and undefined alone), and a walk that meets anything else that throws
// is done again value by value. Calls cost the engine dearly too, so the
// walk calls nothing per value.
function get__texts(a, names) {
    // The nested walk over one element that holds a, less that element's count.
    var texts = get__nested_texts([{a: a}], 'a', names);
    texts.shift();
    return texts;
}
function get__nested_texts(a, inner, names) {
    try {
        var n = get__count(a), width = names.length, texts = [], w = 0;
        var list, count, element, value, i, m;
        for (var k = 0; k < n; k++) {
            list = a[k] == null ? null : a[k][inner];
            count = get__count(list);
            texts[w++] = count;
            for (i = 0; i < count; i++) {
                element = list[i];
                for (m = 0; m < width; m++) {
                    value = element == null ? null : element[names[m]];
                    texts[w++] = value == null ? '' : value.toString();
                }
            }
        }
        return texts;
    } catch (e) {
        return get__nested_texts_each(a, inner, names);
    }
}
function get__nested_texts_each(a, inner, names) {
    var n = get__count(a), texts = [];
    for (var k = 0; k < n; k++) {
        var list = null;
        try { list = a[k][inner]; } catch (e) {}
        var rows = get__texts_each(list, names);
        texts.push(rows.length / names.length);
        for (var i = 0; i < rows.length; i++) texts.push(rows[i]);
    }
    return texts;
}
function get__name_All(a) {
    if (Object.prototype.toString.call(a) != '[object Object]') return '';
    var names = [];
    for (var name in a) {
        if (typeof a[name] != 'function') names.push(name);
    }
    return names.join('\r\n');
}
function get__extend(target, source) {
    if (Object.prototype.toString.call(target) == '[object Array]') {
        for (var i = 0; i < source.length; i++) target.push(source[i]);
        return target;
    }
    for (var name in source) {
        var kind = typeof target[name];
        // A null member is typeof 'object' but has nothing to merge into, and a
        // number is replaced like any other scalar.
        if (kind == 'object' && target[name] !== null) {
            target[name] = get__extend(target[name], source[name]);
        } else if (kind != 'function') {
            target[name] = source[name];
        }
    }
    return target;
}
)js";

// The root and the helpers' globals, after the prelude.
constexpr std::string_view kRootSetup =
    "var da = {}, str_Code = String.fromCharCode(9216), str_reg = new RegExp(str_Code, 'g');";
// What a kept engine runs before its next holder gets it: reads leave nothing
// else behind (see IsPlainPath).
constexpr std::string_view kRootReset = "da = {}; str_reg.lastIndex = 0";

EnginePool& Engines() {
    // Never destroyed, so that an object outliving static destruction can
    // still hand its engine back.
    static EnginePool* pool =
        new EnginePool(std::string(kPrelude) + std::string(kRootSetup), std::string(kRootReset), 4);
    return *pool;
}

bool IsIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$';
}

// A path of names, [digits] and quoted ['names'] only: a script built around
// one can read values but never change any, since nothing in it calls,
// assigns or declares.
bool IsPlainPath(std::string_view path) {
    std::size_t i = 0;
    const std::size_t n = path.size();
    while (i < n) {
        if (path[i] == '[') {
            ++i;
            if (i < n && (path[i] == '\'' || path[i] == '"')) {
                const char quote = path[i++];
                while (i < n && path[i] != quote) {
                    if (path[i] == '\\' || path[i] == '\r' || path[i] == '\n') return false;
                    ++i;
                }
                if (i == n) return false;
                ++i;
            } else {
                const std::size_t digits = i;
                while (i < n && path[i] >= '0' && path[i] <= '9')
                    ++i;
                if (i == digits) return false;
            }
            if (i == n || path[i] != ']') return false;
            ++i;
            continue;
        }
        if (i > 0 && path[i++] != '.') return false;
        const std::size_t name = i;
        while (i < n && IsIdentifierChar(path[i]))
            ++i;
        if (i == name || (path[name] >= '0' && path[name] <= '9')) return false;
    }
    return true;
}

// Between the values of GetAllValues; a text no value is expected to contain.
// Written with escapes so that the script text stays ASCII.
constexpr std::string_view kValueSeparatorScript =
    "'[2020\\u5e747\\u670820\\u65e520\\u65f60\\u52060\\u79d2]'";
// Texts stored through SetValue hold U+2400 for each backslash. A text result
// gives the backslash back: as itself in the plain form (for a whole value,
// see UnmarkBackslashes), and as JSON writes
// one ("\\") in JSON text, so that the JSON stays valid and reads back as the
// stored text (GetObject moves values that way).
constexpr std::string_view kUnmarkPlain = ".replace(str_reg, '\\\\')";
constexpr std::string_view kUnmarkJson = ".replace(str_reg, '\\\\\\\\')";

std::string Stringified(const std::string& expression) {
    return "JSON.stringify(" + expression + ")" + std::string(kUnmarkJson);
}

const std::string& ValueSeparatorLocal() {
    static const std::string separator = Utf8ToLocal("[2020年7月20日20时0分0秒]");
    return separator;
}

// Splits local text at every separator; a byte of 0x80 or above starts a
// two-byte character, so no separator is found inside one. Empty pieces stay,
// except after the last separator.
std::vector<std::string> SplitLocal(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.substr(i, separator.size()) == separator) {
            pieces.emplace_back(text.substr(start, i - start));
            i += separator.size();
            start = i;
        } else {
            i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
        }
    }
    if (start < text.size()) pieces.emplace_back(text.substr(start));
    return pieces;
}

std::string FormatNumber(double number) {
    // "%.13g" writes "inf" and "nan", which a script would read as names.
    if (std::isnan(number)) return "NaN";
    if (std::isinf(number)) return number > 0 ? "Infinity" : "-Infinity";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.13g", number);
    return buffer;
}

// Member names as a script array of string literals: a script built around
// a plain path stays a read with them in it.
std::string NameList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ", ") + QuoteLiteral(name);
    return "[" + list + "]";
}

// Up to count rows of width texts each, from texts[at] on; at moves past them.
JsonObject::TextRows TakeRows(const std::vector<std::string>& texts, std::size_t& at,
                              std::size_t count, std::size_t width) {
    JsonObject::TextRows rows;
    for (std::size_t row = 0; row < count && at + width <= texts.size(); ++row, at += width)
        rows.emplace_back(texts.begin() + at, texts.begin() + at + width);
    return rows;
}

// A plain-form text result as local text, stored backslashes given back.
std::string PlainLocal(std::string engine) {
    UnmarkBackslashes(engine);
    return EngineToLocal(engine);
}

std::string Index(int index) {
    return std::to_string(index);
}

// A text value as script: a string literal, or the JSON it holds parsed at
// run time. Neither form can run the value as script.
std::string ValueScript(const std::string& value, bool valueIsJson) {
    return valueIsJson ? "JSON.parse(" + QuoteLiteral(value) + ")" : QuoteLiteral(value);
}

bool IsBlankText(std::string_view text) {
    return text.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos;
}

std::int32_t ToInt32(double number) {
    if (!(std::fabs(number) < 2147483648.0)) return 0;
    return static_cast<std::int32_t>(number);
}

}  // namespace

JsonObject JsonObject::Create() {
    JsonObject object;
    object.Init();
    return object;
}

void JsonObject::Destroy() {
    engine_.reset();
}

JsonObject JsonObject::Copy() const {
    return *this;
}

void JsonObject::Init() {
    engine_ = Engines().Take();
}

bool JsonObject::Load(const std::string& text, bool plainForm, JsonError& error, bool wantError) {
    std::string converted;
    return LoadEngineText(AsEngineText(text, converted), plainForm, wantError ? &error : nullptr);
}

bool JsonObject::Clear() {
    return Logical(rootName_ + " = {}");
}

std::string JsonObject::ToText() {
    return Text(Stringified(rootName_), Access::kRead);
}

bool JsonObject::SetValue(const std::string& path, const std::string& value, bool valueIsJson) {
    std::string p = path;
    bool exists = ResolvePath(p);
    if (!valueIsJson) {
        return Logical(p + " = " + QuoteLiteral(value) + ".replace(/\\\\/g, str_Code)");
    }
    std::string parsed = ValueScript(value.empty() ? "{}" : value, true);
    if (exists && Text("Object.prototype.toString.call(" + p + ")") == "[object Object]") {
        return Logical(p + " = get__extend(" + p + ", " + parsed + ")");
    }
    return Logical(p + " = " + parsed);
}

bool JsonObject::SetByEval(const std::string& path, const std::string& expression) {
    return Logical(Resolved(path) + " = eval(" + expression + ")");
}

bool JsonObject::ResolvePath(std::string& path) {
    const Access access = AccessFor(path);
    if (path.starts_with(rootName_) && Logical(path + " != null", access)) return true;
    path = RewrittenPath(path);
    return Logical(path + " != null", access);
}

bool JsonObject::Exists(const std::string& path) {
    std::string p = path;
    return ResolvePath(p);
}

int JsonObject::TypeOf(const std::string& path) {
    const Access access = AccessFor(path);
    std::string p = Resolved(path);
    if (Logical(p + " == null", access)) return kJsonNull;
    std::string kind = Text("Object.prototype.toString.call(" + p + ")", access);
    if (kind == "[object String]") return kJsonString;
    if (kind == "[object Array]") return kJsonArray;
    if (kind == "[object Object]") return kJsonObject;
    if (kind == "[object Number]") return kJsonNumber;
    if (kind == "[object Boolean]") return kJsonBoolean;
    return kJsonOther;
}

std::string JsonObject::GetText(const std::string& path, bool jsonForm) {
    const Access access = AccessFor(path);
    std::string p = Resolved(path);
    if (jsonForm) return Text(Stringified(p), access);
    return PlainText(p + ".toString()", access);
}

int JsonObject::GetMemberNames(std::vector<std::string>& names, const std::string& path) {
    names = SplitLocal(Text("get__name_All(" + Resolved(path) + ")", AccessFor(path)), "\r\n");
    return static_cast<int>(names.size());
}

int JsonObject::GetCount(const std::string& path) {
    return ToInt32(Number("get__count(" + Resolved(path) + ")", AccessFor(path)));
}

JsonObject::TextRows JsonObject::GetElementTexts(const std::string& path,
                                                 const std::vector<std::string>& names) {
    if (names.empty()) return {};
    const std::vector<std::string> texts =
        PlainTexts("get__texts(" + Resolved(path) + ", " + NameList(names) + ")", AccessFor(path));
    std::size_t at = 0;
    return TakeRows(texts, at, texts.size() / names.size(), names.size());
}

std::vector<JsonObject::TextRows> JsonObject::GetNestedElementTexts(
    const std::string& path, const std::string& inner, const std::vector<std::string>& names) {
    if (names.empty()) return {};
    const std::vector<std::string> texts =
        PlainTexts("get__nested_texts(" + Resolved(path) + ", " + QuoteLiteral(inner) + ", " +
                       NameList(names) + ")",
                   AccessFor(path));
    // Each element's part starts with its number of rows.
    std::vector<TextRows> elements;
    for (std::size_t at = 0; at < texts.size();) {
        const std::size_t count = std::strtoul(texts[at++].c_str(), nullptr, 10);
        elements.push_back(TakeRows(texts, at, count, names.size()));
    }
    return elements;
}

JsonObject JsonObject::GetObject(const std::string& path) {
    return ObjectFrom(Stringified(Resolved(path)), AccessFor(path));
}

bool JsonObject::AddElement(const std::string& value, const std::string& path, bool valueIsJson,
                            bool atStart) {
    std::string p = Resolved(path);
    // A value that is not JSON must change nothing, not even turn the target
    // into an array: check it before the script that converts the target.
    if (valueIsJson && !Run(ValueScript(value, true))) return false;
    return Logical("if (Object.prototype.toString.call(" + p + ") != '[object Array]') { " + p +
                   " = new Array() } " + p + (atStart ? ".unshift(" : ".push(") +
                   ValueScript(value, valueIsJson) + ")");
}

JsonObject JsonObject::GetElementObject(int index, const std::string& path) {
    return ObjectFrom(Stringified(Resolved(path) + "[" + Index(index) + "]"), AccessFor(path));
}

std::string JsonObject::GetElementText(int index, const std::string& path, bool jsonForm) {
    const Access access = AccessFor(path);
    std::string element = Resolved(path) + "[" + Index(index) + "]";
    if (jsonForm) return Text(Stringified(element), access);
    return Text(element + std::string(kUnmarkPlain), access);
}

bool JsonObject::SetElement(int index, const std::string& path, const std::string& value,
                            bool valueIsJson) {
    return Logical(Resolved(path) + "[" + Index(index) + "] = " + ValueScript(value, valueIsJson));
}

bool JsonObject::RemoveElement(int index, const std::string& path) {
    return Logical(Resolved(path) + ".splice(" + Index(index) + ", 1)");
}

bool JsonObject::Delete(const std::string& path) {
    return Logical("delete " + Resolved(path));
}

bool JsonObject::SetNumber(const std::string& path, double number) {
    return Logical(Resolved(path) + " = " + FormatNumber(number));
}

double JsonObject::GetNumber(const std::string& path) {
    return Number(Resolved(path), AccessFor(path));
}

std::string JsonObject::GetJson(const std::string& path) {
    return Text(Stringified(Resolved(path)), AccessFor(path));
}

std::shared_ptr<ScriptEngine> JsonObject::GetEngine() const {
    return engine_;
}

int JsonObject::GetAllValues(std::vector<std::string>& values, const std::string& path,
                             bool recursive) {
    std::string p = Resolved(path);
    Run("var str_all = new Array()");
    Run("get__nodeValue(" + p + ", " + (recursive ? "true" : "false") + ")");
    std::string joined = Text("str_all.join(" + std::string(kValueSeparatorScript) + ")");
    values = SplitLocal(joined, ValueSeparatorLocal());
    return static_cast<int>(values.size());
}

std::string JsonObject::Resolved(const std::string& path) {
    // ResolvePath's own last evaluation only yields its result, which the
    // callers here do not use; the rewriting is all they need.
    if (path.starts_with(rootName_) && Logical(path + " != null", AccessFor(path))) return path;
    return RewrittenPath(path);
}

std::string JsonObject::RewrittenPath(const std::string& path) const {
    if (path.empty()) return rootName_;
    if (path.front() == '[') return rootName_ + path;
    return rootName_ + "." + path;
}

bool JsonObject::LoadEngineText(std::string_view text, bool plainForm, JsonError* error) {
    // Every Load starts from a fresh engine. A clean one that no copy shares
    // already is one (the parse replaces its root); a dead one is replaced.
    if (engine_ && (!engine_->Clean() || engine_.use_count() > 1 ||
                    engine_->Limit() != ScriptEngine::MemoryLimit())) {
        Init();
    }
    if (!engine_) return false;
    const std::string root = LocalToEngine(rootName_);
    EngineError failure;
    if (!plainForm && IsBlankText(text)) {
        // Evaluating nothing yields undefined, and that is what the root holds.
        engine_->EvalNone(root + " = undefined");
    } else {
        engine_->ParseJsonInto(root.c_str(), text, failure);
    }
    if (error) {
        // The engine reports no help file or help context, keeps no copy of
        // the failing text and no column: those stay empty or 0. Its "name"
        // (such as SyntaxError) stands in for the source of the error.
        *error = JsonError{};
        error->number = failure.number;
        error->source = EngineToLocal(failure.name);
        error->description = EngineToLocal(failure.message);
        error->line = failure.line;
    }
    return engine_->ReadLogical(root + " != null");
}

JsonObject JsonObject::ObjectFrom(const std::string& stringifyScript, Access access) {
    // The value moves as JSON text between the two engines, without a detour
    // through local text, so that every character arrives as it was.
    std::string json;
    if (engine_) {
        const std::string script = LocalToEngine(stringifyScript);
        json = access == Access::kRead ? engine_->ReadText(script) : engine_->EvalText(script);
    }
    JsonObject object = Create();
    object.LoadEngineText(json, false, nullptr);
    return object;
}

JsonObject::Access JsonObject::AccessFor(const std::string& path) {
    return IsPlainPath(path) ? Access::kRead : Access::kAny;
}

bool JsonObject::Logical(const std::string& script, Access access) {
    if (!engine_) return false;
    const std::string code = LocalToEngine(script);
    return access == Access::kRead ? engine_->ReadLogical(code) : engine_->EvalLogical(code);
}

std::string JsonObject::Text(const std::string& script, Access access) {
    return engine_ ? EngineToLocal(EngineText(script, access)) : std::string();
}

std::string JsonObject::EngineText(const std::string& script, Access access) {
    const std::string code = LocalToEngine(script);
    return access == Access::kRead ? engine_->ReadText(code) : engine_->EvalText(code);
}

double JsonObject::Number(const std::string& script, Access access) {
    if (!engine_) return 0.0;
    const std::string code = LocalToEngine(script);
    return access == Access::kRead ? engine_->ReadNumber(code) : engine_->EvalNumber(code);
}

std::string JsonObject::PlainText(const std::string& script, Access access) {
    return engine_ ? PlainLocal(EngineText(script, access)) : std::string();
}

std::vector<std::string> JsonObject::PlainTexts(const std::string& script, Access access) {
    if (!engine_) return {};
    const std::string code = LocalToEngine(script);
    std::vector<std::string> texts =
        access == Access::kRead ? engine_->ReadTexts(code) : engine_->EvalTexts(code);
    for (std::string& text : texts)
        text = PlainLocal(std::move(text));
    return texts;
}

bool JsonObject::Run(const std::string& script) {
    return engine_ && engine_->EvalNone(LocalToEngine(script));
}

}  // namespace vantrel
