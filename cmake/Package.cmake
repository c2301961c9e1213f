# "cpack -G DEB" in the build folder makes a Debian package of what cmake/Install.cmake installs,
# under /usr. dpkg-shlibdeps finds the libraries' packages from the programs themselves
# (libunrar5 from non-free, libzip, Qt 6, ...); what Tevo runs rather than links is named here.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tevo developers <tevo@localhost>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# par2 repairs damaged sets; it is a program Tevo starts, so no library dependency names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "par2")
# A package that needs non-free libunrar5 belongs to contrib.
set(CPACK_DEBIAN_PACKAGE_SECTION "contrib/utils")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "turns downloaded release folders into their usable contents")
set(tevo_description
  "Tevo finds the multi-volume RAR sets of a release folder, checks them against their SFV"
  "lists, repairs them with PAR2 files, unpacks ZIP files and the sets, and cleans up the"
  "volumes. tevo-cli does the same without a display, for servers, and a systemd user"
  "unit (tevo-cli.service) keeps it watching a download folder.")
if(TEVO_GUI)
  set(CPACK_PACKAGE_NAME tevo)
  set(CPACK_DEBIAN_PACKAGE_CONFLICTS tevo-cli)
  # Sounds at the end of a job play through Qt Multimedia's GStreamer backend.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-good")
  list(APPEND tevo_description "This package holds the window program (tevo) and tevo-cli.")
else()
  # Built with TEVO_GUI=OFF: tevo-cli alone, without Qt Gui or Widgets.
  set(CPACK_PACKAGE_NAME tevo-cli)
  set(CPACK_DEBIAN_PACKAGE_CONFLICTS tevo)
  list(APPEND tevo_description "This package holds tevo-cli only.")
endif()
# CPack puts the summary first and indents each of these lines.
list(JOIN tevo_description "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
include(CPack)
