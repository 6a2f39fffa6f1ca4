# What "cmake --install" puts where, and the Debian package "make package" builds from it.
# Installed as a distribution's program is, under /usr, unless a prefix is given.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Where to install" FORCE)
endif()
include(GNUInstallDirs)
# Debian's place, named after the package rather than the project.
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/skyvane)

install(TARGETS skyvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES res/install/skyvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES res/install/com.quillonsoft.Skyvane.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES res/icons/skyvane.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES res/icons/skyvane-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME skyvane.png)
endforeach()
install(DIRECTORY res/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/skyvane/help)
install(DIRECTORY docs/screenshots/ DESTINATION ${CMAKE_INSTALL_DATADIR}/skyvane/help/screenshots)

# The man page and the changelog compressed as Debian wants them: gzip -9n.
foreach(page skyvane.1 changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/install/${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/install
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/res/install/${page} > ${CMAKE_BINARY_DIR}/install/${page}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/res/install/${page})
endforeach()
add_custom_target(install_pages ALL
  DEPENDS ${CMAKE_BINARY_DIR}/install/skyvane.1.gz ${CMAKE_BINARY_DIR}/install/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/install/skyvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/install/changelog.gz res/install/copyright
  DESTINATION ${docdir})
# Something to start from: a station's weather file and an image list of every element kind.
install(FILES examples/currdat.lst examples/data.xml examples/logo.png examples/webcam.xml examples/camera.jpg
  DESTINATION ${docdir}/examples)

# The services run the installed program, wherever the prefix puts it, in the same sandbox.
file(READ res/install/service_sandbox.conf SERVICE_SANDBOX)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS res/install/service_sandbox.conf)
foreach(unit skyvane-headless.service skyvane-headless@.service skyvane-receive.service)
  configure_file(res/install/${unit}.in ${CMAKE_BINARY_DIR}/install/${unit} @ONLY)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/install/skyvane-headless.service
  ${CMAKE_BINARY_DIR}/install/skyvane-receive.service DESTINATION lib/systemd/user)
install(FILES ${CMAKE_BINARY_DIR}/install/skyvane-headless@.service
  DESTINATION lib/systemd/system)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skyvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quillonsoft)
set(CPACK_PACKAGE_CONTACT "Quillonsoft <packages@skyvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "publish weather images made from a station's readings")
set(CPACK_PACKAGE_DESCRIPTION
  "Skyvane reads the readings a personal weather station writes into its data\n\
file and publishes any number of designed weather images on their own\n\
schedules, as JPEG or PNG, by FTP or as HTML e-mail. A desktop program designs\n\
them; the same engine runs headless on a small server.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the program links, as dpkg-shlibdeps finds them, plus what it reads at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "network-manager")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
