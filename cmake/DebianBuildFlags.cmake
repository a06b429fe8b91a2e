# The compiler and linker flags of the Debian package, loaded into the cache
# before the project is read: cmake -C cmake/DebianBuildFlags.cmake. They are
# those of dpkg-buildflags, with every hardening feature unless
# DEB_BUILD_MAINT_OPTIONS chooses otherwise: fortified string and memory
# calls, a strong stack protector, position-independent programs, read-only
# relocations bound at start-up. None of them touches the floating point; the
# project's own options (-ffp-contract=off, no fast-math) and those of the
# build type (-O3 for Release) come after them. debian/rules builds the package
# with them and scripts/test.sh its Release build, so that packaging that build
# compiles nothing again. They replace what a build folder held before.
if(NOT DEFINED ENV{DEB_BUILD_MAINT_OPTIONS})
  set(ENV{DEB_BUILD_MAINT_OPTIONS} "hardening=+all")
endif()

# dpkg-buildflags maps the source folder to "." in the debug information, so
# that where the checkout lies leaves no trace in the programs.
function(debian_build_flag name output)
  execute_process(COMMAND dpkg-buildflags --get ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/..
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${output} "${flags}" PARENT_SCOPE)
endfunction()

debian_build_flag(CPPFLAGS cppflags)
debian_build_flag(CFLAGS cflags)
debian_build_flag(CXXFLAGS cxxflags)
debian_build_flag(LDFLAGS ldflags)
# CMake has no place for the preprocessor's flags of its own: they go with the compilers'.
set(CMAKE_C_FLAGS "${cflags} ${cppflags}" CACHE STRING "C compiler flags (dpkg-buildflags)" FORCE)
set(CMAKE_CXX_FLAGS "${cxxflags} ${cppflags}" CACHE STRING "C++ compiler flags (dpkg-buildflags)" FORCE)
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS "${ldflags}" CACHE STRING "linker flags (dpkg-buildflags)" FORCE)
endforeach()
