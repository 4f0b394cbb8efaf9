#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "json/json_object.h"
#include "net/code_page.h"

namespace {

// What a stored text reads back as: every backslash marker (U+2400) leaves
// as a backslash.
std::string Unmarked(const std::string& local) {
    std::string utf8 = vantrel::ToUtf8(local);
    const std::string marker = "\xE2\x90\x80";
    for (std::size_t at = utf8.find(marker); at != std::string::npos; at = utf8.find(marker, at)) {
        utf8.replace(at, marker.size(), "\\");
    }
    return vantrel::Utf8ToLocal(utf8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // Any answer: loading never crashes, and what loads survives the trip
    // through its own JSON text.
    JsonObject json = JsonObject::Create();
    JsonError error;
    if (json.Load(bytes, false, error, true)) {
        std::string text = json.ToText();
        JsonObject again = JsonObject::Create();
        FUZZ_CHECK(again.Load(text, true, error, false));
        FUZZ_CHECK(again.ToText() == text);
    }

    // Any text value is stored as it is: nothing in it ends the literal.
    const std::string value = Utf8ToLocal(bytes);
    JsonObject store = JsonObject::Create();
    store.SetValue("v", value, false);
    FUZZ_CHECK(store.GetText("v", false) == Unmarked(value));
    store.AddElement(value, "list", false, false);
    FUZZ_CHECK(store.GetCount("list") == 1);
    FUZZ_CHECK(store.GetElementText(0, "list", false) == Unmarked(value));
    FUZZ_CHECK(store.TypeOf("") == kJsonObject);
    return 0;
}
