# Debian packages of the install components (scripts/package runs cpack):
#   kalvento-cli  the command-line tool, for headless servers (no Qt)
#   kalvento      the desktop program; depends on kalvento-cli of the same version
# Library dependencies come from dpkg-shlibdeps. libssl is not among them:
# the schedule lookup loads it on its first https request, so it is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalvento)
set(CPACK_PACKAGE_VENDOR "Kalvento developers")
set(CPACK_PACKAGE_CONTACT "Kalvento developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL ${KALVENTO_PROJECT_URL})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION video)

set(CPACK_COMPONENTS_ALL cli)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME kalvento-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "libssl3 | libssl3t64")
# The completions need bash-completion; Chinachu's hook reads its JSON with jq.
set(CPACK_DEBIAN_CLI_PACKAGE_SUGGESTS "bash-completion, jq")
set(CPACK_COMPONENT_CLI_DESCRIPTION
  "rename recordings of Japanese digital TV after their programme
Kalvento reads a window of each ISDB transport-stream recording, decodes the
broadcast tables and offers the programmes that were on air; kalvento-cli
analyses and renames recordings unattended, with the settings and rename rules
shared with the desktop program. It never overwrites a file.")

if(TARGET kalvento)
  list(APPEND CPACK_COMPONENTS_ALL desktop)
  set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME kalvento)
  # Qt's own Japanese (Yes/No, the file dialogs): the window is Japanese.
  set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "kalvento-cli (= ${PROJECT_VERSION}), qt6-translations-l10n")
  set(CPACK_COMPONENT_DESKTOP_DESCRIPTION
    "rename recordings of Japanese digital TV after their programme (desktop)
Kalvento reads a window of each ISDB transport-stream recording, decodes the
broadcast tables and offers the programmes that were on air; in its window
recordings are dropped, a candidate or a rename rule composes each new name,
and the files are renamed without ever overwriting one.")
endif()

include(CPack)
