# The Debian package: `cpack -G DEB` in the build folder writes kist_VERSION_ARCH.deb with what
# the install rules put under the prefix (/usr unless configured otherwise); dpkg-shlibdeps finds
# the libraries the binaries link.
set(CPACK_PACKAGE_NAME kist)
set(CPACK_PACKAGE_VENDOR "The Kist developers")
set(CPACK_PACKAGE_CONTACT "Kist maintainers <maintainers@users.noreply.c-seed-7cc484e1.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "archive utility: preview and extract archives, create zips")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${CMAKE_CURRENT_LIST_DIR}/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kist.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the window system and the SVG icons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# Qt's own texts in the user's language, and the loader of the bash completion.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, bash-completion")
# The file-manager actions ask for a folder or a password and show progress and errors through
# these dialogs; Nautilus loads its extension through python3-nautilus.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "zenity | kdialog, python3-nautilus")

# Debian wants a copyright file and a compressed changelog in the package's doc folder.
set(KIST_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kist)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package/changelog.gz
    COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/package/changelog > changelog.gz
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/package
    DEPENDS ${CMAKE_BINARY_DIR}/package/changelog)
add_custom_target(kist_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/package/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/package/changelog.gz DESTINATION ${KIST_DOC_DIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${KIST_DOC_DIR})

include(CPack)
