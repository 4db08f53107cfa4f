# Writes one skin bitmap as a C++ byte string: cmake -DINPUT=x.bmp -DOUTPUT=x.cpp -DID=101 -P this
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# Every byte becomes a \xHH escape (the next backslash or quote ends it), 8 to a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
string(REGEX REPLACE "((\\\\x[0-9a-f][0-9a-f])(\\\\x[0-9a-f][0-9a-f])(\\\\x[0-9a-f][0-9a-f])(\\\\x[0-9a-f][0-9a-f])(\\\\x[0-9a-f][0-9a-f])(\\\\x[0-9a-f][0-9a-f])(\\\\x[0-9a-f][0-9a-f])(\\\\x[0-9a-f][0-9a-f]))" "\\1\"\n    \"" escaped "${escaped}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT} at build time; do not edit.\n"
  "#include <cstddef>\n\n"
  "extern const char kEmbeddedBitmap${ID}[];\n"
  "extern const size_t kEmbeddedBitmap${ID}Size;\n"
  "const char kEmbeddedBitmap${ID}[] =\n    \"${escaped}\";\n"
  "const size_t kEmbeddedBitmap${ID}Size = ${size};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
