# `cpack` in a build folder makes a Debian package of what `cmake --install`
# puts under /usr: the client, its bundle (share/tidewaterlink), the launcher
# entry, the software-centre listing, the icons and the licence.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tidewaterlink)
set(CPACK_PACKAGE_VENDOR Tidewaterlink)
set(CPACK_PACKAGE_CONTACT "Tidewaterlink developers <packages@tidewaterlink.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop L2TP VPN client")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Signs in with a VPN account, checks it against the provider's account service, and "
    "connects and disconnects an L2TP VPN through NetworkManager with one button. Shows the "
    "tunnel's state and the public IP address, in a window and in the tray.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debian looks for a package's licence at /usr/share/doc/<package>/copyright.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
# Debug information stays in the build folder. The marker file is copied from
# the tool as installed, so stripping keeps the two byte-identical.
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageFolderModes.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tidewaterlink.example")

# What the client drives at run time: NetworkManager's L2TP plugin (through the
# bundled tools), sudo for administrator commands, and the system's CAs and
# libcurl for HTTPS (libcurl is loaded with the first request, so
# dpkg-shlibdeps cannot see it). The linked libraries come from dpkg-shlibdeps
# where it is installed (dpkg-dev); without it they are named here.
set(twl_runtime_depends "network-manager-l2tp, sudo, ca-certificates, libcurl4 (>= 7.85)")
find_program(TWL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TWL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${twl_runtime_depends}")
else()
  string(CONCAT CPACK_DEBIAN_PACKAGE_DEPENDS
      "${twl_runtime_depends}, libqt6widgets6, libqt6gui6, libqt6dbus6, libqt6network6, "
      "libqt6core6, libsecret-1-0, libstdc++6, libc6")
endif()
# The passwords go into the session's Secret Service where there is one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnome-keyring")

include(CPack)
