# Every install rule, desktop integration and the Debian package.
#
# `cmake --install` puts the program, its menu entry, its AppStream
# metainfo and its icon where a freedesktop.org desktop looks for them;
# `cpack` (from the build folder) turns the same tree into a .deb.

set(TARVIMONDA_APP_ID "org.example.tarvimonda")

install(TARGETS tarvimonda RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

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
# The teachers' manual, and the copyright in Debian's machine-readable form.
install(FILES ${PROJECT_SOURCE_DIR}/docs/manuale-insegnanti.md ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The manual page (Italian, section 6: a game) and the changelog, compressed
# as Debian wants them: gzip -9, without a time stamp, so the same sources
# always give the same package.
find_program(GZIP gzip REQUIRED)
configure_file(${PROJECT_SOURCE_DIR}/packaging/tarvimonda.6.in ${PROJECT_BINARY_DIR}/packaging/tarvimonda.6 @ONLY)
set(TV_MAN_PAGE ${PROJECT_BINARY_DIR}/packaging/tarvimonda.6.gz)
set(TV_CHANGELOG ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${TV_MAN_PAGE}
  COMMAND ${GZIP} -9nc ${PROJECT_BINARY_DIR}/packaging/tarvimonda.6 > ${TV_MAN_PAGE}
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/tarvimonda.6 VERBATIM)
add_custom_command(OUTPUT ${TV_CHANGELOG}
  COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${TV_CHANGELOG}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(tarvimonda_documents ALL DEPENDS ${TV_MAN_PAGE} ${TV_CHANGELOG})
install(FILES ${TV_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${TV_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# ---- Debian package ---------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvimonda)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Il gruppo Tarvimonda")
set(CPACK_PACKAGE_CONTACT "Il gruppo Tarvimonda <tarvimonda@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drill game: evaluate expressions with monomials")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarvimonda is a drill game for school pupils, in Italian. Each exercise\n\
shows an expression made of monomials in a and b and the values of a and b;\n\
the pupil types the value of the expression. A game lasts fifteen minutes;\n\
the best score and the name of its holder are kept for each user, or for a\n\
whole class in a shared folder, with an optional register of every game.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The libraries the program links (Qt 6 Core, Gui, Widgets, Svg and the C++
# runtime) come from dpkg-shlibdeps, with the versions it finds. The xcb
# platform plugin ships in libqt6gui6 on Debian 12, so it comes with them.
# The fonts are not linked but needed at run time: the window asks for Arial
# and Times New Roman and the program substitutes Liberation Sans and Serif.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own Italian texts (menus of the text boxes) are not linked either.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-translations-l10n")
# No maintainer scripts: the menu database and the icon cache are refreshed
# by the file triggers of desktop-file-utils and hicolor-icon-theme.

include(CPack)
