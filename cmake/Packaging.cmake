# Packages: on Windows an NSIS installer and a portable zip, on Linux a .deb.
set(CPACK_PACKAGE_NAME "kestrun-pitbox")
set(CPACK_PACKAGE_VENDOR "Kestrun Pitbox")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Find, list, preview and copy the track files of the racing game Kestrun")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrun Pitbox finds track files anywhere in a folder tree, shows their header
data in one sortable table, draws a picture of a track, copies a selection of
tracks into a folder and saves the table as text. pitbox-cli does the same from
the command line.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${CMAKE_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    # pitbox-<version>-setup.exe: into Program Files, a Start-menu entry, an
    # uninstaller registered with Windows; /S and /D= for a silent install.
    set(CPACK_GENERATOR "NSIS;ZIP")
    list(PREPEND CMAKE_MODULE_PATH ${CMAKE_SOURCE_DIR}/cmake)  # our NSIS.template.in: 64-bit, Unicode
    set(CPACK_PACKAGE_FILE_NAME "pitbox-${PROJECT_VERSION}-setup")
    set(CPACK_PACKAGE_INSTALL_DIRECTORY "Kestrun Pitbox")
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Kestrun Pitbox")
    # The Start-menu entry is made by our template (the generator's own would
    # point into a bin folder that this layout does not have).
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    set(CPACK_NSIS_PACKAGE_NAME "Kestrun Pitbox")
    set(CPACK_NSIS_DISPLAY_NAME "Kestrun Pitbox")
    set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/resources/windows/kestrun-pitbox.ico)
    set(CPACK_NSIS_MUI_UNIICON ${CMAKE_SOURCE_DIR}/resources/windows/kestrun-pitbox.ico)
    set(CPACK_NSIS_INSTALLED_ICON_NAME "pitbox.exe")
    set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
    set(CPACK_NSIS_MODIFY_PATH OFF)
    # Explorer's thumbnails come with the installer alone, which registers
    # them; the template takes the DLL from the build.
    set(CPACK_PITBOX_THUMBNAILS_DLL "${CMAKE_BINARY_DIR}/bin/pitbox-thumbnails.dll")
    # The zip is the portable program: the two .exe files and the README.
    set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/PackageNames.cmake)
else()
    # kestrun-pitbox_<version>_amd64.deb, its dependencies found by dpkg-shlibdeps.
    set(CPACK_GENERATOR "DEB")
    set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kestrun Pitbox developers <pitbox@example.org>")
    set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/kestrun-pitbox")
endif()
include(CPack)
