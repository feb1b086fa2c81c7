# Packages (cmake --build BUILD --target package): a .deb on Linux, with its run-time
# dependencies computed by dpkg-shlibdeps; on the Windows build an NSIS installer made by
# makensis from the staged install tree (cmake/NsisInstaller.cmake).
set(CPACK_PACKAGE_NAME vellumo-diagnostic)
set(CPACK_PACKAGE_VENDOR "Kestrova")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "support diagnostic utility of the Vellumo Notes Organizer")
set(CPACK_PACKAGE_CONTACT "Kestrova Support <support@kestrova.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.kestrova.com")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)

if(WIN32)
    set(CPACK_GENERATOR External)
    set(CPACK_EXTERNAL_ENABLE_STAGING ON)
    set(CPACK_PACKAGING_INSTALL_PREFIX "/")
    set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/NsisInstaller.cmake)
    # What the script needs, handed through CPack's configuration.
    set(CPACK_VELLUMO_NSIS_TEMPLATE ${CMAKE_SOURCE_DIR}/packaging/windows/installer.nsi.in)
    set(CPACK_VELLUMO_ICON ${CMAKE_SOURCE_DIR}/packaging/icons/vellumo-diagnostic.ico)
    set(CPACK_VELLUMO_INSTALLER
        ${CMAKE_BINARY_DIR}/package/VellumoDiagnostic-${PROJECT_VERSION}-setup.exe)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # xdg-open opens the mail client; wl-copy keeps a copy on a Wayland-only desktop.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wl-clipboard")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    # The summary is the first line; CPack indents these lines and marks the empty one.
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"VellumoDiagnostic gathers facts about the computer and the Vellumo
installation into one text report that a user sends to support: the
system, the product's folders, its settings and recent files, and whether
its data folder can be written. It shows the report in a window with
buttons to copy it and to start an e-mail to support; without a display
it writes the report to standard output.

The package also carries vellumo-reg, which reads and sets the product's
settings store with the syntax of the Windows registry tool, and
vellumo-pack, which packs, unpacks and enciphers files in the product's
formats.")
endif()

include(CPack)
