# The Debian package: `cpack -G DEB` in the build folder makes tarvik_<version>_<arch>.deb from the install
# rules. Shared-library dependencies are read off the installed programs by dpkg-shlibdeps, so whatever a
# program links is declared without listing it here; what the player needs at run time without linking it
# (a General MIDI soundfont for the music) is declared explicitly.
#
# The programs find their installed data through the install prefix compiled into them, so the package puts
# its files under that same prefix: configure with -DCMAKE_INSTALL_PREFIX=/usr for a package that follows
# Debian's layout.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvik")
set(CPACK_PACKAGE_CONTACT "Tarvik developers <tarvik@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Player for Zot text quests")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarvik plays text quests written in the Zot language (.qst, ciphered .qs1 and compressed .qs3):\n\
the story, its buttons, the inventory, pictures, music and sounds. It also carries tarvik-cli, which\n\
plays quests at the terminal and checks them for their authors.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "The Debian package installs under ${CMAKE_INSTALL_PREFIX}, where the system's file-type and "
                 "menu caches do not look; configure with -DCMAKE_INSTALL_PREFIX=/usr to build one for apt")
endif()
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Music is MIDI played through a soundfont; any General MIDI one will do.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont | sf3-soundfont-gm | sf2-soundfont-gm")
# Qt draws pictures in these formats only with its image-format plugins, and reads aloud through
# speech-dispatcher only with its speech plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, qt6-speech-speechd-plugin")

include(CPack)
