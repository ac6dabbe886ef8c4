# Writes a C++ header holding a file's bytes: cmake -DINPUT=... -DOUTPUT=... -DNAME=... -P embed_file.cmake
file(READ "${INPUT}" content HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${content}")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}.\n#pragma once\n\ninline constexpr unsigned char ${NAME}[] = { ${bytes} };\n")
