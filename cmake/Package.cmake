# The Debian package, made by CPack from an installation under /usr (see
# scripts/package.sh): vaporel_1.0.0-1_amd64.deb. dpkg-shlibdeps finds the
# libraries the programs are linked with; the ones opened at run time and the
# fonts are named here, since no linker sees them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vaporel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "The Vaporel Vovor of ZANK developers <maintainers@users.noreply.c-seed-b9e3284f.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libgl1, libglu1-mesa | libglu1, libogg0, libvorbis0a, libvorbisfile3, fonts-dejavu-core, fonts-dejavu-extra")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "puzzle game: guide the blue water through a tower to the outlets")
set(CPACK_PACKAGE_DESCRIPTION
    "Water made of a thousand particles pours from sources at the top of a tower\n"
    "of cells. Redraw the map with the mouse while the water flows, so that the\n"
    "blue water reaches the outlets and the red water does not. Twelve stages\n"
    "teach one idea each and then combine them; every play can be replayed to\n"
    "the bit, and a stage runner, a picture viewer and a MIDI player come with\n"
    "the game.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
include(CPack)
