# Runs inside "cmake --install": writes tevo-cli.service with the paths of this install and
# installs it like any other file (so DESTDIR, the package and install_manifest.txt see it).
# Set by the caller: TEVO_UNIT_TEMPLATE, TEVO_UNIT_STAGING, TEVO_UNIT_BINDIR, TEVO_UNIT_DATADIR,
# TEVO_UNIT_DESTINATION (the last three relative to the prefix unless absolute).

function(tevo_installed_path relative out)
  if(IS_ABSOLUTE "${relative}")
    set(${out} "${relative}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${relative}" PARENT_SCOPE)
  endif()
endfunction()

tevo_installed_path("${TEVO_UNIT_BINDIR}" bindir)
tevo_installed_path("${TEVO_UNIT_DATADIR}" datadir)
tevo_installed_path("${TEVO_UNIT_DESTINATION}" destination)
set(TEVO_CLI_PROGRAM "${bindir}/tevo-cli")
set(TEVO_EXAMPLE_OPTIONS "${datadir}/tevo/server.os")

file(REMOVE_RECURSE "${TEVO_UNIT_STAGING}")
configure_file("${TEVO_UNIT_TEMPLATE}" "${TEVO_UNIT_STAGING}/tevo-cli.service" @ONLY)
file(INSTALL DESTINATION "${destination}" TYPE FILE FILES "${TEVO_UNIT_STAGING}/tevo-cli.service")
# Gone again, so that an install as root leaves nothing of root's in the build folder.
file(REMOVE_RECURSE "${TEVO_UNIT_STAGING}")
