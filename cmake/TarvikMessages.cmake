# The terminal player's message catalogues. xgettext collects the texts of src/cli into a template in the
# build folder; each po/LANG.po is compiled, checked, into LANG/LC_MESSAGES/tarvik-cli.mo.
#
# The program looks for its catalogues at the install's locale folder taken relative to the install's program
# folder (../share/locale by default), so no install prefix is compiled in. A build that is not installed
# puts its catalogues at the same place relative to the program it builds.
#
# A translation is brought up to date with: msgmerge -U po/LANG.po BUILD/po/tarvik-cli.pot
include(GNUInstallDirs)
find_program(TARVIK_XGETTEXT xgettext REQUIRED)
find_program(TARVIK_MSGFMT msgfmt REQUIRED)

set(TARVIK_CLI_LANGUAGES ru)
file(RELATIVE_PATH TARVIK_LOCALE_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LOCALEDIR})
target_compile_definitions(tarvik-cli PRIVATE TARVIK_LOCALE_FROM_BIN="${TARVIK_LOCALE_FROM_BIN}")

get_target_property(_tarvik_cli_dir tarvik-cli RUNTIME_OUTPUT_DIRECTORY)
if(NOT _tarvik_cli_dir)
  set(_tarvik_cli_dir ${CMAKE_CURRENT_BINARY_DIR})
endif()
get_filename_component(TARVIK_BUILD_LOCALEDIR "${_tarvik_cli_dir}/${TARVIK_LOCALE_FROM_BIN}" ABSOLUTE)

set(TARVIK_CLI_POT ${PROJECT_BINARY_DIR}/po/tarvik-cli.pot)
get_target_property(_tarvik_cli_sources tarvik-cli SOURCES)
set(_tarvik_cli_relative)
foreach(_src IN LISTS _tarvik_cli_sources)
  file(RELATIVE_PATH _rel ${PROJECT_SOURCE_DIR} ${_src})
  list(APPEND _tarvik_cli_relative ${_rel})
endforeach()
add_custom_command(OUTPUT ${TARVIK_CLI_POT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/po
  COMMAND ${TARVIK_XGETTEXT} --language=C++ --from-code=UTF-8 --keyword=_ --keyword=_n:1,2
          --add-comments=TRANSLATORS: --package-name=tarvik-cli --package-version=${PROJECT_VERSION}
          --sort-by-file -o ${TARVIK_CLI_POT} ${_tarvik_cli_relative}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  DEPENDS ${_tarvik_cli_sources}
  COMMENT "Collecting the terminal player's messages"
  VERBATIM)

set(TARVIK_CLI_CATALOGUES)
foreach(_lang IN LISTS TARVIK_CLI_LANGUAGES)
  set(_mo ${TARVIK_BUILD_LOCALEDIR}/${_lang}/LC_MESSAGES/tarvik-cli.mo)
  add_custom_command(OUTPUT ${_mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVIK_BUILD_LOCALEDIR}/${_lang}/LC_MESSAGES
    COMMAND ${TARVIK_MSGFMT} --check -o ${_mo} ${PROJECT_SOURCE_DIR}/po/${_lang}.po
    DEPENDS ${PROJECT_SOURCE_DIR}/po/${_lang}.po
    COMMENT "Compiling the ${_lang} messages of tarvik-cli"
    VERBATIM)
  list(APPEND TARVIK_CLI_CATALOGUES ${_mo})
endforeach()
add_custom_target(tarvik-cli-messages ALL DEPENDS ${TARVIK_CLI_CATALOGUES} ${TARVIK_CLI_POT})
add_dependencies(tarvik-cli tarvik-cli-messages)
