# cmake -DINPUT=FILE -DOUTPUT=FILE.cpp -DNAME=identifier -P EmbedText.cmake
# Writes a C++ source that defines `extern const char NAME[]` holding FILE's
# bytes, so that a program carries a text file without installing it.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(([^,]*,){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
     "// Generated from ${INPUT}; do not edit.\n"
     "extern const char ${NAME}[];\n"
     "const char ${NAME}[] = {\n${bytes}'\\0'};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
