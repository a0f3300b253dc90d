# Turns a binary file into a C++ array definition; fails when the size is wrong,
# so a firmware that outgrew its ROM never builds.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR bytes "${hexLength} / 2")
if(NOT bytes EQUAL SIZE)
    message(FATAL_ERROR "${INPUT} is ${bytes} bytes, expected ${SIZE}")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" body "${body}")
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; do not edit.\n#include <cstdint>\nnamespace kestrel {\nextern const uint8_t ${SYMBOL}[${SIZE}];\nconst uint8_t ${SYMBOL}[${SIZE}] = {\n${body}\n};\n}  // namespace kestrel\n")
