# cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -P EmbedFile.cmake
# Writes a C++ source defining `const unsigned char SYMBOL[]` with the file's bytes and SYMBOLSize.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
if(size EQUAL 0)
    set(bytes "0")
else()
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
endif()
file(WRITE ${OUTPUT}.tmp "// Generated from ${INPUT}; do not edit.
#include <cstddef>

extern const unsigned char ${SYMBOL}[];
extern const std::size_t ${SYMBOL}Size;
alignas(16) const unsigned char ${SYMBOL}[] = {
${bytes}
};
const std::size_t ${SYMBOL}Size = ${size};
")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
