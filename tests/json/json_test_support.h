#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "json/json_object.h"
#include "net/code_page.h"

namespace vantrel::test {

// Tests write their texts in UTF-8; the object takes and gives local text.
inline std::string L(const std::string& utf8) {
    return Utf8ToLocal(utf8);
}
inline std::string U(const std::string& local) {
    return ToUtf8(local);
}

inline std::string ReadSample(const std::string& name) {
    std::ifstream in(std::string(VANTREL_TEST_DATA_DIR) + "/json/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A fresh object holding the UTF-8 document, loaded the way the sources do.
inline JsonObject Loaded(const std::string& utf8Document, bool* ok = nullptr) {
    JsonObject json = JsonObject::Create();
    JsonError error;
    bool loaded = json.Load(L(utf8Document), false, error, false);
    if (ok) *ok = loaded;
    return json;
}

}  // namespace vantrel::test
