# Installation (make install PREFIX=...) and the Debian package (make package).
#
# The layout the program looks for: the window library in lib/odeseries (beside the program on
# Windows), the help and the demos in share/odeseries, and the desktop's entry, icon,
# AppStream metainfo and manual page where the desktop and man look for them.

if(WIN32)
    install(TARGETS odeseries odeseries_gui RUNTIME DESTINATION bin)
    install(FILES ${PROJECT_BINARY_DIR}/dif.chm DESTINATION bin)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION bin/examples)
    return()
endif()

install(TARGETS odeseries RUNTIME DESTINATION bin)
install(TARGETS odeseries_gui LIBRARY DESTINATION lib/odeseries)
install(FILES ${PROJECT_BINARY_DIR}/dif.chm DESTINATION share/odeseries)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION share/odeseries/examples)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/odeseries.desktop DESTINATION share/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/odeseries.svg DESTINATION share/icons/hicolor/scalable/apps)
configure_file(${CMAKE_CURRENT_LIST_DIR}/org.odeseries.ODESeries.metainfo.xml
               ${PROJECT_BINARY_DIR}/packaging/org.odeseries.ODESeries.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/org.odeseries.ODESeries.metainfo.xml DESTINATION share/metainfo)

# The manual page, compressed as Debian keeps them.
configure_file(${CMAKE_CURRENT_LIST_DIR}/odeseries.1 ${PROJECT_BINARY_DIR}/packaging/odeseries.1 @ONLY)
find_program(GZIP gzip REQUIRED)
add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/packaging/odeseries.1.gz
    COMMAND ${GZIP} -9nc ${PROJECT_BINARY_DIR}/packaging/odeseries.1 > ${PROJECT_BINARY_DIR}/packaging/odeseries.1.gz
    DEPENDS ${PROJECT_BINARY_DIR}/packaging/odeseries.1
    COMMENT "Compressing the manual page")
add_custom_target(odeseries_manual ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/odeseries.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/packaging/odeseries.1.gz DESTINATION share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME odeseries)
set(CPACK_PACKAGE_VENDOR "ODE Series team")
set(CPACK_PACKAGE_CONTACT "ODE Series team <team@odeseries.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "solve ordinary differential equations as finite series")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "ODE Series solves ordinary differential equations typed as text, with their boundary conditions, as power "
    "or trigonometric series, in windows and on the command line, with a library of ready examples and exports "
    "to CSV, JSON, LaTeX, Python, C and Octave.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://odeseries.invalid")
# The package's library dependencies (Qt, chmlib, the C++ run time) as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
