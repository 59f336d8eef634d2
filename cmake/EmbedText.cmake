# cmake -DOUTPUT=<file.cpp> -DNAMES=<name>,... -DINPUTS=<file>,... -P EmbedText.cmake
# Writes a C++ source that defines, for each input, a std::string_view named
# after it holding the file's text.
string(REPLACE "," ";" NAMES "${NAMES}")
string(REPLACE "," ";" INPUTS "${INPUTS}")
file(WRITE ${OUTPUT} "// Made at build time from the files named below; do not edit.\n#include <string_view>\n")
foreach(name input IN ZIP_LISTS NAMES INPUTS)
  file(READ ${input} text)
  file(APPEND ${OUTPUT} "\n// ${input}\nextern const std::string_view ${name};\nconst std::string_view ${name} = R\"text(${text})text\";\n")
endforeach()
