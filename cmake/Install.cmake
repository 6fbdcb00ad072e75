# Every install rule: the one place that says where each file goes.
#
# `cmake --install` puts the program, its record keeper, its menu entry, its
# AppStream metainfo and its icon where a freedesktop.org desktop looks for
# them; the Debian package (debian/) installs the same tree and adds only
# the keeper's group and mode and the class record folder.

set(TARVIMONDA_APP_ID "org.example.tarvimonda")

install(TARGETS tarvimonda RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The record keeper, outside PATH, where the game looks for it
# (TARVIMONDA_KEEPER_PATH in src/app/CMakeLists.txt). Installed this way it
# is not privileged, and each account keeps its own record; the package
# makes it set-group-id games for the class record in /var/games.
install(TARGETS tarvimonda-keeper RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tarvimonda)
# The register window, started by "tarvimonda --register"
# (TARVIMONDA_REGISTER_PATH).
install(TARGETS tarvimonda-register RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tarvimonda)
# Every library they link is the system's: no search path of our own, least
# of all in a set-group-id program.
set_target_properties(tarvimonda tarvimonda-keeper tarvimonda-register PROPERTIES INSTALL_RPATH "")

install(FILES ${PROJECT_SOURCE_DIR}/packaging/${TARVIMONDA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The teachers' own menu entry: the class register window.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${TARVIMONDA_APP_ID}.register.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${TARVIMONDA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The window icon (the board with a formula) is the menu icon too: one
# drawing, so the two can never drift apart.
install(FILES ${PROJECT_SOURCE_DIR}/assets/pictures/window-icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME tarvimonda.svg)
# A commented example of the classroom settings, for teachers to copy.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tarvimonda.conf.example
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
# The teachers' manual. The copyright and the changelog are the Debian
# package's own (debian/), installed by it.
install(FILES ${PROJECT_SOURCE_DIR}/docs/manuale-insegnanti.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The manual page (Italian, section 6: a game), compressed as Debian wants
# it: gzip -9, without a time stamp, so the same sources always give the
# same package.
find_program(GZIP gzip REQUIRED)
configure_file(${PROJECT_SOURCE_DIR}/packaging/tarvimonda.6.in ${PROJECT_BINARY_DIR}/packaging/tarvimonda.6 @ONLY)
set(TV_MAN_PAGE ${PROJECT_BINARY_DIR}/packaging/tarvimonda.6.gz)
add_custom_command(OUTPUT ${TV_MAN_PAGE}
  COMMAND ${GZIP} -9nc ${PROJECT_BINARY_DIR}/packaging/tarvimonda.6 > ${TV_MAN_PAGE}
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/tarvimonda.6 VERBATIM)
add_custom_target(tarvimonda_documents ALL DEPENDS ${TV_MAN_PAGE})
install(FILES ${TV_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
