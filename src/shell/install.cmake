# Installation: both players, the desktop entry, the icon, the file types with the player as their handler,
# the AppStream metainfo, the manual pages and the demo quest, into the GNUInstallDirs places.
include(GNUInstallDirs)

# The programs find their data as share/tarvik beside their bin folder, so one build works from any prefix, a
# DESTDIR or an unpacked copy; the install folders must keep that layout.
if(NOT CMAKE_INSTALL_BINDIR STREQUAL "bin" OR NOT CMAKE_INSTALL_DATADIR STREQUAL "share")
  message(FATAL_ERROR "The players look for their data in ../share/tarvik beside their bin folder: keep "
                      "CMAKE_INSTALL_BINDIR at bin and CMAKE_INSTALL_DATADIR at share")
endif()

# A build that is not installed finds the help in a link beside the program.
file(CREATE_LINK ${PROJECT_SOURCE_DIR}/help ${CMAKE_CURRENT_BINARY_DIR}/help SYMBOLIC)

set(TARVIK_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

install(TARGETS tarvik tarvik-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The terminal player's message catalogues, where it looks for them relative to itself.
foreach(_lang IN LISTS TARVIK_CLI_LANGUAGES)
  install(FILES ${TARVIK_BUILD_LOCALEDIR}/${_lang}/LC_MESSAGES/tarvik-cli.mo
    DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${_lang}/LC_MESSAGES)
endforeach()
install(FILES ${TARVIK_DATA_DIR}/tarvik.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TARVIK_DATA_DIR}/tarvik.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${TARVIK_DATA_DIR}/io.github.tarvik.Tarvik.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TARVIK_DATA_DIR}/tarvik-mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tarvik.xml)
# The ciphered and compressed demo copies are generated from demo.qst and may not be there yet.
install(FILES ${PROJECT_SOURCE_DIR}/quests/demo.qst DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvik/quests)
install(FILES ${PROJECT_SOURCE_DIR}/quests/demo.qs1 ${PROJECT_SOURCE_DIR}/quests/demo.qs3
  DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvik/quests OPTIONAL)
# The picture of the demo's HTML page.
install(FILES ${PROJECT_SOURCE_DIR}/quests/demo-html/oak.png DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvik/quests/demo-html)
# The demo's tunes and its sound.
install(FILES ${PROJECT_SOURCE_DIR}/quests/theme.mid ${PROJECT_SOURCE_DIR}/quests/forest.mid
              ${PROJECT_SOURCE_DIR}/quests/chest.wav DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvik/quests)
# The player's help, opened by "Помощь".
install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvik/help
  FILES_MATCHING PATTERN "*.html" PATTERN "*.css" PATTERN "*.png")

# Desktops read the file types and handlers from caches. Refresh them for a direct install; a package build
# (DESTDIR set) leaves that to the package's own triggers.
install(CODE "set(_tarvik_datadir \"${CMAKE_INSTALL_DATADIR}\")")
install(CODE [[
  if(NOT DEFINED ENV{DESTDIR} OR "$ENV{DESTDIR}" STREQUAL "")
    if(IS_ABSOLUTE "${_tarvik_datadir}")
      set(_share "${_tarvik_datadir}")
    else()
      set(_share "${CMAKE_INSTALL_PREFIX}/${_tarvik_datadir}")
    endif()
    find_program(_tarvik_update_mime update-mime-database)
    if(_tarvik_update_mime AND EXISTS "${_share}/mime/packages")
      execute_process(COMMAND "${_tarvik_update_mime}" "${_share}/mime"
                      RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_QUIET)
      if(NOT _rc EQUAL 0)
        message(STATUS "update-mime-database failed (${_rc}); run it by hand to register the quest file types")
      endif()
    endif()
    find_program(_tarvik_update_desktop update-desktop-database)
    if(_tarvik_update_desktop)
      execute_process(COMMAND "${_tarvik_update_desktop}" -q "${_share}/applications"
                      OUTPUT_QUIET ERROR_QUIET)
    endif()
  endif()
]])
# The demo quest's pictures, looked up beside it.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/quests/pictures DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvik/quests)
