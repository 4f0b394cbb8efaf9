#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace vantrel::test {

// A sample answer from src/sources/demo, byte for byte.
inline std::string SourceSample(const std::string& name) {
    std::ifstream in(std::string(VANTREL_DEMO_SAMPLES_DIR) + "/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace vantrel::test
