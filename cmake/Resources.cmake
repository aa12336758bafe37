# Resources (button pictures, the preview's bitmap template, the icons) built into
# the program as one generated source: the library pitbox_resources.
file(GLOB PITBOX_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.bmp
     ${CMAKE_SOURCE_DIR}/resources/icons/*.png)
set(PITBOX_EMBEDDED ${CMAKE_BINARY_DIR}/generated/embedded.cpp)
string(REPLACE ";" "|" PITBOX_RESOURCE_ARG "${PITBOX_RESOURCE_FILES}")
add_custom_command(
    OUTPUT ${PITBOX_EMBEDDED}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${PITBOX_EMBEDDED} "-DFILES=${PITBOX_RESOURCE_ARG}"
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedResources.cmake
    DEPENDS ${PITBOX_RESOURCE_FILES} ${CMAKE_SOURCE_DIR}/cmake/EmbedResources.cmake
    COMMENT "Embedding resources"
    VERBATIM)
add_library(pitbox_resources STATIC ${PITBOX_EMBEDDED})
target_include_directories(pitbox_resources PUBLIC ${CMAKE_SOURCE_DIR})
