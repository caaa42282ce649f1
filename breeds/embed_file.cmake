# Writes the bytes of INPUT as a C++ array named NAME (and NAME_size) into OUTPUT.
file(READ "${INPUT}" _hex HEX)
string(LENGTH "${_hex}" _len)
math(EXPR _size "${_len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT}; do not edit.\n#include <cstdint>\n"
  "extern const unsigned char ${NAME}[] = {${_bytes}};\n"
  "extern const uint32_t ${NAME}_size = ${_size};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
