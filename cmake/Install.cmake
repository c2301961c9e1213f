# What "cmake --install" (and the Debian package) puts where.
#
#   bin/                            tevo-cli, and tevo with TEVO_GUI
#   share/tevo/                     the language files and server.os, the example option set
#   share/systemd/user/             tevo-cli.service, a user unit that runs the installed tevo-cli
#   share/applications/, share/icons/hicolor/   the window's menu entry and icons (TEVO_GUI)
#
# systemd looks for user units in share/systemd/user under /usr, /usr/local ($XDG_DATA_DIRS) and
# ~/.local ($XDG_DATA_HOME), so the unit is found after each install the README names.

set(TEVO_UNIT_DIR ${CMAKE_INSTALL_DATADIR}/systemd/user)

# An install checks first that everything it copies was built, so a build of only some targets
# stops it before the first file instead of leaving half a copy behind.
set(TEVO_INSTALLED_BUILD_FILES $<TARGET_FILE:tevo-cli>)
if(TEVO_GUI)
  list(APPEND TEVO_INSTALLED_BUILD_FILES $<TARGET_FILE:tevo> ${TEVO_ICON_STAMP})
endif()
install(CODE "
  set(missing)
  foreach(file ${TEVO_INSTALLED_BUILD_FILES})
    if(NOT EXISTS \"\${file}\")
      list(APPEND missing \"\${file}\")
    endif()
  endforeach()
  if(missing)
    list(JOIN missing \"\\n  \" missing)
    message(FATAL_ERROR \"Nothing was installed: these are not built yet:\\n  \${missing}\\n\"
      \"Build them first: cmake --build ${CMAKE_BINARY_DIR} --target tevo-install-parts\")
  endif()
")
# The targets an install needs; ./run.sh builds them.
add_custom_target(tevo-install-parts)
add_dependencies(tevo-install-parts tevo-cli)
if(TEVO_GUI)
  add_dependencies(tevo-install-parts tevo tevo-icons)
endif()

install(TARGETS tevo-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TEVO_LANGUAGE_FILES} docs/server.os DESTINATION ${CMAKE_INSTALL_DATADIR}/tevo)

# The unit names the installed tevo-cli and example by their full paths, which are known only
# when the install runs (cmake --install --prefix, or /usr for the package).
install(CODE "
  set(TEVO_UNIT_TEMPLATE \"${CMAKE_CURRENT_SOURCE_DIR}/docs/tevo-cli.service.in\")
  set(TEVO_UNIT_STAGING \"${CMAKE_CURRENT_BINARY_DIR}/unit-staging\")
  set(TEVO_UNIT_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  set(TEVO_UNIT_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
  set(TEVO_UNIT_DESTINATION \"${TEVO_UNIT_DIR}\")
  include(\"${CMAKE_CURRENT_SOURCE_DIR}/cmake/InstallUnit.cmake\")
")

if(TEVO_GUI)
  install(TARGETS tevo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The launcher and its icon, where desktops look for them: the SVG for scalable use, and PNGs
  # of the usual sizes drawn from the same shapes.
  install(FILES app/tevo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(DIRECTORY ${TEVO_ICON_FOLDER}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES app/icons/tevo.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
