# The Debian package, made by CPack from the build that the tests already use:
#   tools/package.sh        (tools/build.sh, then cpack in build/: build/zarvo_<version>_<arch>.deb)
# Runtime dependencies come from the program's libraries (dpkg-shlibdeps: the Qt 6 libraries,
# among them Multimedia and D-Bus, SQLite, the C++ runtime); xdg-utils opens documents and
# addresses, and the Wayland platform plugin is recommended for sessions without XWayland.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Pelmark)
set(CPACK_PACKAGE_CONTACT "Zarvo! maintainers <zarvo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "alarm and event scheduler for the system tray")
# Lines of at most 80 characters, as the package tools show them.
set(CPACK_PACKAGE_DESCRIPTION "Zarvo! keeps a list of events and carries each one out on its second: a
notification with a sound, starting a program or opening a document, opening a
web address, sending a short mail, checking a POP3 mailbox, setting the clock
from a time server, or ending the session or the machine. Events may repeat
every few days or months.

It chimes at the quarters and on the hour, speaks the time, and shows a
floating clock, a sticker note and a month calendar. It starts at login and
runs as one copy in the system tray.")
# A whole install tree under /usr, with the autostart entry under /etc.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# A file under /etc belongs to the administrator once installed: an upgrade keeps a changed one.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
