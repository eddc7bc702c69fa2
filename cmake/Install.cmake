# What `cmake --install` puts where, and the Debian package CPack makes of
# it: the programs in bin/, the data root in share/kestrava/ (the programs
# find it there beside their bin folder), a desktop entry, the project file
# type (so a double click on a .ksv opens the editor) and the icon.
include(GNUInstallDirs)

install(TARGETS kestrava kestrava-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${KESTRAVA_DATA_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrava
  PATTERN "*.stamp" EXCLUDE PATTERN "CMakeFiles" EXCLUDE PATTERN "cmake_install.cmake" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/kestrava.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/kestrava-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME kestrava.xml)

# The icon, drawn by our own generator at build time.
set(KESTRAVA_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${KESTRAVA_ICON_DIR}/kestrava-256.png
  COMMAND make_icon ${KESTRAVA_ICON_DIR} DEPENDS make_icon)
add_custom_target(kestrava_icons ALL DEPENDS ${KESTRAVA_ICON_DIR}/kestrava-256.png)
foreach(size 16 32 48 64 128 256)
  install(FILES ${KESTRAVA_ICON_DIR}/kestrava-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME kestrava.png)
  install(FILES ${KESTRAVA_ICON_DIR}/kestrava-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/mimetypes RENAME application-x-kestrava-project.png)
endforeach()

# The Debian package: `cpack -G DEB` in the build folder.
file(STRINGS ${CMAKE_SOURCE_DIR}/tools/packages-runtime.txt KESTRAVA_RUNTIME_PACKAGES REGEX "^[a-z0-9]")
string(REPLACE ";" ", " KESTRAVA_DEB_DEPENDS "${KESTRAVA_RUNTIME_PACKAGES}")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrava)
set(CPACK_PACKAGE_VENDOR "Kestrava")
set(CPACK_PACKAGE_CONTACT "Kestrava developers <developers@kestrava.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Engineering tool for operator panels: edit, compile, simulate and download panel projects")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${KESTRAVA_DEB_DEPENDS}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kestrava.invalid")
include(CPack)
