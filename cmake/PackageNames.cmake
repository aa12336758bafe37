# Per package kind: the installer keeps the -setup name, the zip is the portable one.
if(CPACK_GENERATOR STREQUAL "ZIP")
    set(CPACK_PACKAGE_FILE_NAME "pitbox-${CPACK_PACKAGE_VERSION}-windows-portable")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
