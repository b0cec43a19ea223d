# The Debian package. Its library dependencies are read from the binary by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvex)
set(CPACK_PACKAGE_VENDOR "Zorvex developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Counter for training sets with a history per exercise")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Zorvex walks through up to twenty registered exercise items, suggests a\n"
    "count for each set, and records the repetitions done, with the date and\n"
    "time, in a plain text history file per item. The interface is in Japanese.\n"
    "The data files live in the folder the program is started in. Started from\n"
    "the applications menu, that is ~/.local/share/zorvex.")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME zorvex)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zorvex developers <zorvex@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libqt6gui6 only recommends the platform plugins, yet without them no window can open. Every
# text is Japanese, so a Japanese face is as necessary as the plugins; the help button needs a
# CHM viewer, and Qt's own menus and buttons need their translation.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-japanese-gothic, \
xchm | kchmviewer, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
