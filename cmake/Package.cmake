# A Debian package of the installed tree: scripts/package builds it with CPack.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME keyholder)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_PACKAGE_VENDOR "${KEYHOLDER_COMPANY_NAME}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small password manager for the desktop")
set(CPACK_PACKAGE_DESCRIPTION
    "Keyholder keeps your credentials (a username, a password and the place where they are used) in one file that opens only with your master password.")
set(CPACK_PACKAGE_CONTACT "Keyholder Works <keyholder@keyholder.org>")
set(CPACK_PACKAGE_FILE_NAME keyholder_${CPACK_PACKAGE_VERSION}_${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://keyholder.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Nothing links these, but the program needs them: the launcher that opens
# addresses, the web engine's helper process, and its resources and locales.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, libqt6webenginecore6-bin, libqt6webengine6-data")
include(CPack)
