# What `cmake --install` lays out and `make package` puts into the .deb. The
# installed program finds its shipped files at ../share/zorvu-timer beside its bin/.
set(ZORVU_APP_ID org.zorvu.Timer)

install(TARGETS zorvu-timer RUNTIME DESTINATION bin)
install(FILES data/times.ini DESTINATION share/zorvu-timer)
install(DIRECTORY data/sounds DESTINATION share/zorvu-timer)
install(FILES data/${ZORVU_APP_ID}.desktop DESTINATION share/applications)
install(FILES data/${ZORVU_APP_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(size 32 48 64 128 256)
  install(FILES data/icons/zorvu-timer-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${ZORVU_APP_ID}.png)
endforeach()

set(ZORVU_MAINTAINER "Zorvu Timer maintainers <maintainers@users.noreply.c-seed-e2beb1c2.example>"
    CACHE STRING "The Maintainer field of the .deb")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvu-timer)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "respawn timer for console shooter matches")
set(CPACK_PACKAGE_DESCRIPTION [[
Zorvu Timer runs beside a game console while a multiplayer match of a
first-person shooter is played. It counts down the seconds to each contested
item's next respawn on the chosen map, and says the item's name out loud a
chosen number of seconds before the respawn and at the respawn itself.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZORVU_MAINTAINER}")
# A companion to a game and nothing else.
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Wayland platform, for those who turn the XWayland default off.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS qt6-wayland)
include(CPack)
