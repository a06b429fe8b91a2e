# vaporel_embed_file(<input> <output.cpp> <symbol>): writes a C++ source that
# defines `const unsigned char <symbol>[]` and `<symbol>Size` with the bytes of
# <input>. Re-run whenever the input changes.
function(vaporel_embed_file input output symbol)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${input})
  file(READ ${input} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n    " bytes "${bytes}")
  file(WRITE ${output}.new
    "// Generated from ${input}; do not edit.\n#include <cstddef>\n\n"
    "extern const unsigned char ${symbol}[] = {\n    ${bytes}\n};\n"
    "extern const std::size_t ${symbol}Size = sizeof ${symbol};\n")
  file(COPY_FILE ${output}.new ${output} ONLY_IF_DIFFERENT)
endfunction()
