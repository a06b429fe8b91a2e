# The browser build, configured by scripts/web.sh with emscripten's toolchain:
# the third-party libraries it built with emcc lie in VAPOREL_WEB_THIRD_PARTY,
# one folder each with include/ and lib/.
set(VAPOREL_WEB_THIRD_PARTY "" CACHE PATH "Libraries built with emcc (scripts/web.sh)")
if(NOT EMSCRIPTEN OR NOT VAPOREL_WEB_THIRD_PARTY)
  message(FATAL_ERROR "VAPOREL_WEB is configured by scripts/web.sh")
endif()

# web_library(TARGET NAME [DEPENDENCY...]): the library NAME built with emcc.
function(web_library target name)
  set(folder ${VAPOREL_WEB_THIRD_PARTY}/${name})
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${folder}/lib/lib${name}.a
                                             INTERFACE_INCLUDE_DIRECTORIES ${folder}/include
                                             INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()
web_library(ZLIB::ZLIB z)
web_library(PNG::PNG png ZLIB::ZLIB)
web_library(JPEG::JPEG jpeg)
web_library(PkgConfig::LIBXML2 xml2)
web_library(web_ogg ogg)
web_library(web_vorbis vorbis web_ogg)
web_library(web_libm_sincos msincos)

# C++ exceptions carry the errors; the water's collision pass uses SSE2, which
# wasm's SIMD carries out with the same IEEE results.
add_compile_options(-fexceptions -msimd128 -msse2)
# The C++ library there lacks to_chars and from_chars for reals: every unit
# gets them from the platform layer.
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${PROJECT_SOURCE_DIR}/source/platform/web/CharConvReals.h>")
add_link_options(-fexceptions)
# Programs for node read and write the real files with their own paths, and
# return main's status as the process's.
set(VAPOREL_WEB_NODE_LINK_OPTIONS -sNODERAWFS=1 -sEXIT_RUNTIME=1 -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=node)
