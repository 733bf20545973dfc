# Files installed beside the programs: manual pages made with help2man from
# --help and --version, shell completions generated from kalvento-cli.commands,
# and the desktop entry, icon and metainfo of the desktop program. Included by
# cmake/install.cmake once every program is defined (from the top directory:
# paths here are absolute).
set(resources_dir ${CMAKE_CURRENT_LIST_DIR})
set(resources_build_dir ${CMAKE_BINARY_DIR}/resources)
find_program(HELP2MAN help2man)
if(NOT HELP2MAN)
  message(FATAL_ERROR "help2man is needed for the manual pages: run scripts/setup")
endif()

set(commands_file ${resources_dir}/kalvento-cli.commands)
set(commands_tool ${resources_dir}/cli_commands.py)

# --- shell completions
set(completion_dir ${resources_build_dir}/completion)
add_custom_command(
  OUTPUT ${completion_dir}/kalvento-cli ${completion_dir}/_kalvento-cli
         ${completion_dir}/kalvento-cli.fish
  COMMAND ${Python3_EXECUTABLE} ${commands_tool} completions ${commands_file} ${completion_dir}
  DEPENDS ${commands_tool} ${commands_file}
  COMMENT "Generating the shell completions of kalvento-cli")
add_custom_target(kalvento-completions ALL
  DEPENDS ${completion_dir}/kalvento-cli ${completion_dir}/_kalvento-cli
          ${completion_dir}/kalvento-cli.fish)
install(FILES ${completion_dir}/kalvento-cli
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT cli)
# Debian's zsh reads vendor-completions; site-functions is for local additions.
install(FILES ${completion_dir}/_kalvento-cli
  DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions COMPONENT cli)
install(FILES ${completion_dir}/kalvento-cli.fish
  DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d COMPONENT cli)

# --- manual pages
# help2man runs the built program; its page is compressed as Debian wants it.
# Without --locale help2man writes every byte beyond ASCII of the includes
# and of --help as "?": the Japanese item names in EXAMPLES would be lost.
set(man_dir ${resources_build_dir}/man)
# The pages are English: LANGUAGE could ask kalvento-cli for Japanese.
set(man_environment ${CMAKE_COMMAND} -E env --unset=LANGUAGE LC_ALL=C.UTF-8
  QT_QPA_PLATFORM=offscreen)
function(kalvento_manual_page program component name_text)
  set(page ${man_dir}/${program}.1)
  set(includes --include=${resources_dir}/man/${program}.h2m
               --include=${resources_dir}/man/side-files.h2m)
  set(depends ${program} ${resources_dir}/man/${program}.h2m
              ${resources_dir}/man/side-files.h2m)
  set(commands)
  if(program STREQUAL "kalvento-cli")
    # The --help of every subcommand, as the COMMANDS section.
    list(APPEND commands COMMAND ${man_environment} ${Python3_EXECUTABLE} ${commands_tool}
      man-include ${commands_file} $<TARGET_FILE:${program}> ${man_dir}/${program}-commands.h2m)
    list(APPEND includes --include=${man_dir}/${program}-commands.h2m)
    list(APPEND depends ${commands_tool} ${commands_file})
  endif()
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    ${commands}
    COMMAND ${man_environment} ${HELP2MAN} --no-info --locale=C.UTF-8 --section=1
      "--name=${name_text}"
      ${includes} --output=${page} $<TARGET_FILE:${program}>
    COMMAND gzip -9nf ${page}
    DEPENDS ${depends}
    COMMENT "Writing the manual page of ${program}")
  add_custom_target(${program}-manual ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endfunction()

kalvento_manual_page(kalvento-cli cli
  "rename recordings of Japanese digital TV after their programme, from the command line")

# --- the desktop program's files
configure_file(${resources_dir}/kalvento.metainfo.xml.in ${resources_build_dir}/${KALVENTO_APP_ID}.metainfo.xml
  @ONLY)
if(TARGET kalvento)
  kalvento_manual_page(kalvento desktop
    "rename recordings of Japanese digital TV after their programme")
  install(FILES ${resources_dir}/kalvento.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT desktop)
  install(FILES ${resources_dir}/kalvento.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT desktop)
  install(FILES ${resources_build_dir}/${KALVENTO_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT desktop)
endif()
