# Writes a C++ file holding the marker PNGs as byte arrays.
# Set INPUT_DIR, OUTPUT and NAMES (file names without ".png"), then include this.
set(_text "#include <cstdint>\n#include <span>\n\nnamespace vantrel::marker_data {\n\n")
foreach(_name IN LISTS NAMES)
  file(READ "${INPUT_DIR}/${_name}.png" _hex HEX)
  # rank_1@2x.png becomes rank_1_2x.
  string(MAKE_C_IDENTIFIER "${_name}" _name)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
  string(APPEND _text "extern const std::span<const std::uint8_t> ${_name};\n"
         "static const std::uint8_t ${_name}_bytes[] = {\n    ${_bytes}\n};\n"
         "const std::span<const std::uint8_t> ${_name}{${_name}_bytes};\n\n")
endforeach()
string(APPEND _text "}  // namespace vantrel::marker_data\n")
file(WRITE "${OUTPUT}.tmp" "${_text}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
