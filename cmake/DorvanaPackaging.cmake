# The Debian package, made by CPack (scripts/package.sh is the one command).
# Run-time dependencies come from dpkg-shlibdeps; what the program loads at
# run time without linking it (Qt's platform plugin, the Turkish translations,
# the fonts its dialogs ask for) is named here.
set(CPACK_PACKAGE_NAME dorvana)
set(CPACK_PACKAGE_VENDOR "${DORVANA_MAINTAINER_NAME}")
set(CPACK_PACKAGE_CONTACT "${DORVANA_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepares multiple-choice tests taken in a web browser")
set(CPACK_PACKAGE_INSTALL_DIRECTORY dorvana)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_PACKAGE_NAME dorvana)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${DORVANA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The synopsis is the summary above; CPack indents these lines and turns the
# empty one into Debian's " ." line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A teacher keeps each question as a saved web page; Dorvana keeps the answer
key and the page colours in a small database file and writes the pages of a
self-scoring test that pupils take in a web browser, with no server.

The user interface is in Turkish.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation2 | fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
