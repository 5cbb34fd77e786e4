# Installing the player and packaging it: the program, its manual page, the
# default show under share/velmora/demo, the web player under
# share/velmora/web when built, and the documentation; `cpack -G DEB`
# makes a Debian package whose dependencies dpkg-shlibdeps reads from the program.
include(GNUInstallDirs)

set(VELMORA_MAN_PAGE ${CMAKE_BINARY_DIR}/velmora.1)
add_custom_command(OUTPUT ${VELMORA_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:velmora> -DOUT=${VELMORA_MAN_PAGE}
          -P ${PROJECT_SOURCE_DIR}/cmake/WriteManPage.cmake
  DEPENDS velmora ${PROJECT_SOURCE_DIR}/cmake/WriteManPage.cmake
  COMMENT "Writing the manual page velmora.1"
  VERBATIM)
add_custom_target(man_page ALL DEPENDS ${VELMORA_MAN_PAGE})

install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${VELMORA_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The build tree's show/ is what demo/CMakeLists.txt generates: only its script, its tracks
# and the data the tools make go, not other scripts, a stamp or screenshots
# left there by someone trying the show.
install(FILES ${CMAKE_BINARY_DIR}/show/script.zyl ${CMAKE_BINARY_DIR}/show/script.tracks DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora/demo)
install(DIRECTORY ${CMAKE_BINARY_DIR}/show/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora/demo/data
  FILES_MATCHING PATTERN "*.jpg" PATTERN "*.lwo" PATTERN "*.mo3")
# The built web player (tools/build-web's output folder), so that `velmora web`
# from the installed program packs sites without Emscripten; left out when
# not built.
set(VELMORA_WEB_PLAYER "" CACHE PATH "Folder holding the built web player (build-web/player/web)")
if(VELMORA_WEB_PLAYER)
  set(player_files index.html page.js velmora.js velmora.wasm player.js editor.js audio-processor.js)
  list(TRANSFORM player_files PREPEND ${VELMORA_WEB_PLAYER}/)
  foreach(file IN LISTS player_files)
    if(NOT EXISTS ${file})
      message(FATAL_ERROR "VELMORA_WEB_PLAYER: ${file} is missing; build the player with tools/build-web")
    endif()
  endforeach()
  install(FILES ${player_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora/web)
endif()
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR} OPTIONAL)

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time demo player: software effects in step with tracker music")
set(CPACK_PACKAGE_DESCRIPTION
  "Plays a show written as a plain-text script: effect boxes, animation functions and surfaces wired line by line, drawn into a 512x256 frame in step with a tracker module. Comes with a default show (velmora --demo) and makes new ones (velmora new DIR).")
set(CPACK_PACKAGE_CONTACT "Velmora maintainers <velmora@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
