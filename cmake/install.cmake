# Install rules, their tests and the Debian packages. The top-level
# CMakeLists runs this at its end, so it sees every program wherever its
# folder is added; the desktop program is installed only when it is built.
#
# Two components, one package each (scripts/package):
#   cli      kalvento-cli, its Japanese messages, manual page and shell completions; no Qt, for
#            headless recording servers
#   desktop  kalvento, its desktop entry, icon, AppStream metainfo and manual page
include(GNUInstallDirs)

# Sanitizer and fuzz builds are for tests only.
if(KALVENTO_SANITIZE OR KALVENTO_FUZZ)
  return()
endif()

set(KALVENTO_APP_ID "io.github.kalvento.kalvento" CACHE STRING
  "AppStream component id of the desktop program")
set(KALVENTO_PROJECT_URL "https://github.com/kalvento/kalvento" CACHE STRING
  "Home page named in the metainfo and the packages")
set(KALVENTO_SCREENSHOT_URL "${KALVENTO_PROJECT_URL}/raw/main/docs/main-window.png" CACHE STRING
  "Address of docs/main-window.png of the published sources, for the metainfo")
# The day PROJECT_VERSION was released; change both together.
set(KALVENTO_RELEASE_DATE "2026-12-06")

install(TARGETS kalvento-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
# Where kalvento-cli finds it: ../share/locale from its bin directory.
install(FILES ${KALVENTO_CLI_CATALOGUE}
  DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/ja/LC_MESSAGES COMPONENT cli)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kalvento-cli RENAME copyright COMPONENT cli)
# The server documentation with the recording managers' hooks and the
# example units it describes; its links to examples/ hold there too. The
# window's screenshots belong to the desktop program, not here.
set(cli_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/kalvento-cli)
install(FILES ${CMAKE_SOURCE_DIR}/docs/recording-servers.md ${CMAKE_SOURCE_DIR}/docs/json.md
  DESTINATION ${cli_doc_dir} COMPONENT cli)
file(GLOB example_scripts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/examples/*.sh)
file(GLOB example_units CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/examples/kalvento-*.service
  ${CMAKE_SOURCE_DIR}/docs/examples/kalvento-*.timer ${CMAKE_SOURCE_DIR}/docs/examples/kalvento-*.path)
install(PROGRAMS ${example_scripts} DESTINATION ${cli_doc_dir}/examples COMPONENT cli)
install(FILES ${example_units} DESTINATION ${cli_doc_dir}/examples COMPONENT cli)
if(TARGET kalvento)
  install(TARGETS kalvento RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT desktop)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kalvento RENAME copyright COMPONENT desktop)
endif()

# Manual pages, completions, desktop entry, icon and metainfo; Python writes
# the completions and runs the checks.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
include(${CMAKE_SOURCE_DIR}/resources/resources.cmake)

if(KALVENTO_TESTS)
  # The completion data against kalvento-cli --help, the generated bash script
  # at work, and an install into a temporary prefix.
  add_test(NAME completion_matches_help
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/resources/cli_commands.py check
      ${CMAKE_SOURCE_DIR}/resources/kalvento-cli.commands $<TARGET_FILE:kalvento-cli>)
  add_test(NAME bash_completion
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/bash_completion_test
      ${CMAKE_BINARY_DIR}/resources/completion/kalvento-cli)
  set(install_tree_options)
  if(TARGET kalvento)
    list(APPEND install_tree_options --desktop)
  endif()
  add_test(NAME install_tree
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/check_install_tree ${install_tree_options}
      ${CMAKE_BINARY_DIR} ${KALVENTO_APP_ID})
endif()

# Everything the install rules take from the build, and nothing else: what
# scripts/package builds.
add_custom_target(kalvento-package-files)
add_dependencies(kalvento-package-files kalvento-cli kalvento-cli-catalogue kalvento-cli-manual
  kalvento-completions)
if(TARGET kalvento)
  add_dependencies(kalvento-package-files kalvento kalvento-manual)
endif()

include(${CMAKE_SOURCE_DIR}/cmake/packages.cmake)
