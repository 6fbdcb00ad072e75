# Every install rule, desktop integration and the Debian package.
#
# `cmake --install` puts the program, its menu entry, its AppStream
# metainfo and its icon where a freedesktop.org desktop looks for them;
# `cpack` (from the build folder) turns the same tree into a .deb.

set(TARVIMONDA_APP_ID "org.example.tarvimonda")

install(TARGETS tarvimonda RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${PROJECT_SOURCE_DIR}/packaging/${TARVIMONDA_APP_ID}.desktop
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
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
# No maintainer scripts: the menu database and the icon cache are refreshed
# by the file triggers of desktop-file-utils and hicolor-icon-theme.

include(CPack)
