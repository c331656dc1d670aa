# What `cmake --install` lays out and `make package` puts into the .deb. The
# installed program finds its shipped files at ../share/zorvu-timer beside its bin/.
set(ZORVU_APP_ID org.zorvu.Timer)
set(ZORVU_SUMMARY "respawn timer for console shooter matches")

install(TARGETS zorvu-timer RUNTIME DESTINATION bin)
install(FILES data/times.ini DESTINATION share/zorvu-timer)
install(DIRECTORY data/sounds DESTINATION share/zorvu-timer)
install(FILES data/${ZORVU_APP_ID}.desktop DESTINATION share/applications)
install(FILES data/${ZORVU_APP_ID}.metainfo.xml DESTINATION share/metainfo)
# The bus starts the timer when a call finds none running. Its Exec= is the installed
# program, whose path is known only while installing: /usr/bin for the .deb,
# elsewhere for `cmake --install --prefix`.
install(CODE "
  set(ZORVU_INSTALLED_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/bin/zorvu-timer\")
  configure_file(${CMAKE_SOURCE_DIR}/data/${ZORVU_APP_ID}.service.in
                 ${CMAKE_BINARY_DIR}/${ZORVU_APP_ID}.service @ONLY)
  file(INSTALL ${CMAKE_BINARY_DIR}/${ZORVU_APP_ID}.service
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/dbus-1/services\")")
foreach(size 32 48 64 128 256)
  install(FILES data/icons/zorvu-timer-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${ZORVU_APP_ID}.png)
endforeach()

# The manual page: help2man reads the built program's --help, which the command
# table makes and which needs no display, and its --version. Compressed, as
# Debian keeps manual pages. The sanitizer build installs nothing.
if(NOT ZORVU_ONLY_UNIT_TESTS)
  find_program(HELP2MAN help2man REQUIRED)
  set(manual ${CMAKE_BINARY_DIR}/zorvu-timer.1)
  add_custom_command(OUTPUT ${manual}.gz
    COMMAND ${HELP2MAN} --no-info --section=1 --name=${ZORVU_SUMMARY} --output=${manual}
            $<TARGET_FILE:zorvu-timer>
    COMMAND gzip -9nf ${manual}
    DEPENDS zorvu-timer VERBATIM)
  add_custom_target(manual ALL DEPENDS ${manual}.gz)
  install(FILES ${manual}.gz DESTINATION share/man/man1)
endif()

set(ZORVU_MAINTAINER "Zorvu Timer maintainers <maintainers@users.noreply.c-seed-e2beb1c2.example>"
    CACHE STRING "The Maintainer field of the .deb")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvu-timer)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${ZORVU_SUMMARY}")
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
# Team mode finds leaders on the network through it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS avahi-daemon)
include(CPack)
