# The Windows build's tests run under Wine, in one throwaway prefix per test run
# inside the build folder, made first and whose server is ended last.
set(prefix ${CMAKE_BINARY_DIR}/wineprefix)
add_test(NAME wine_prefix COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/prefix.sh ${prefix} make)
add_test(NAME wine_stop COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/prefix.sh ${prefix} stop)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)

# Wine cannot make junctions: the links the tests walk are laid out with the
# host's before the tests run.
add_test(NAME wine_host_links COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/host_links.sh ${CMAKE_BINARY_DIR}/host-links)
set_tests_properties(wine_host_links PROPERTIES FIXTURES_SETUP host_links)
set_tests_properties(${PITBOX_UNIT_TESTS} PROPERTIES FIXTURES_REQUIRED "wine;host_links"
                                     ENVIRONMENT "PITBOX_LINK_LOOP=Z:${CMAKE_BINARY_DIR}/host-links/loop;PITBOX_FOLDER_LINK=Z:${CMAKE_BINARY_DIR}/host-links/published")

# The Windows programs against the Linux build's (the test command names it):
# pitbox-cli.exe against pitbox-cli, and a user's road through pitbox.exe with
# tracks from the Linux build's track writer.
set(PITBOX_LINUX_BUILD "" CACHE PATH "A Linux build of this tree, for the end-to-end tests under Wine")
if(PITBOX_LINUX_BUILD)
    add_test(NAME wine_cli_end_to_end
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/cli_test.sh ${CMAKE_CURRENT_SOURCE_DIR}/wine/run.sh ${prefix}
                     $<TARGET_FILE:pitbox-cli> ${PITBOX_LINUX_BUILD}/bin/pitbox-cli ${CMAKE_SOURCE_DIR})
    add_test(NAME wine_user_road
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/user_road_test.sh ${CMAKE_CURRENT_SOURCE_DIR}/wine/run.sh ${prefix}
                     $<TARGET_FILE:pitbox> $<TARGET_FILE:pitbox-cli> ${PITBOX_LINUX_BUILD}/bin/pitbox_write_track
                     ${CMAKE_BINARY_DIR}/e2e-screenshots)
    # The same road on a desktop: a window manager, and room beside the main window.
    add_test(NAME wine_user_road_openbox
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/user_road_test.sh ${CMAKE_CURRENT_SOURCE_DIR}/wine/run.sh ${prefix}
                     $<TARGET_FILE:pitbox> $<TARGET_FILE:pitbox-cli> ${PITBOX_LINUX_BUILD}/bin/pitbox_write_track
                     ${CMAKE_BINARY_DIR}/e2e-screenshots-openbox)
    set_tests_properties(wine_user_road_openbox PROPERTIES ENVIRONMENT "PITBOX_WM=openbox;XVFB_SCREEN=1920x1080x24")
    set_tests_properties(wine_cli_end_to_end wine_user_road wine_user_road_openbox PROPERTIES FIXTURES_REQUIRED wine)
endif()

# pitbox.exe on the demo tracks, closed by a click on openbox's close box.
add_test(NAME wine_window_close_openbox
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/window_close_test.sh ${CMAKE_CURRENT_SOURCE_DIR}/wine/run.sh ${prefix}
                 $<TARGET_FILE:pitbox> ${CMAKE_SOURCE_DIR}/examples/tracks)
set_tests_properties(wine_window_close_openbox PROPERTIES FIXTURES_REQUIRED wine
                     ENVIRONMENT "PITBOX_WM=openbox;XVFB_SCREEN=1920x1080x24")

# Static analysis of the Windows-only sources.
add_test(NAME clang_tidy_windows
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/run_clang_tidy.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR} windows)

# The Win32 backend in a real X server.
add_executable(pitbox_win32_tests test_toolkit_win32.cpp)
target_link_libraries(pitbox_win32_tests PRIVATE pitbox_toolkit_win32 pitbox_test_app GTest::gtest_main pitbox_warnings)
add_test(NAME win32_backend COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/in_xvfb.sh ${prefix} $<TARGET_FILE:pitbox_win32_tests>)
# Its layout on a 1920 by 1080 screen of 144 pixels an inch (150 %), where the
# window is taller than the screen, and of 192 (200 %), where it is wider too.
add_test(NAME win32_backend_144dpi
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/at_dpi.sh ${prefix} 144 $<TARGET_FILE:pitbox_win32_tests>
                 --gtest_filter=Win32App.*)
add_test(NAME win32_backend_192dpi
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/at_dpi.sh ${prefix} 192 $<TARGET_FILE:pitbox_win32_tests>
                 --gtest_filter=Win32App.*)
set_tests_properties(win32_backend win32_backend_144dpi win32_backend_192dpi PROPERTIES FIXTURES_REQUIRED wine)
set_tests_properties(win32_backend_144dpi win32_backend_192dpi PROPERTIES ENVIRONMENT XVFB_SCREEN=1920x1080x24)

# Explorer's part in the thumbnails: a host that makes the provider as the
# shell does, from the registry the installer wrote.
add_executable(pitbox_thumbnail_host wine/thumbnail_host.cpp)
target_include_directories(pitbox_thumbnail_host PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(pitbox_thumbnail_host PRIVATE pitbox_preview ole32 shlwapi uuid pitbox_warnings)
target_link_options(pitbox_thumbnail_host PRIVATE -municode)

# The installer and the portable zip that scripts/build-windows.sh leaves here.
add_test(NAME wine_installer
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/installer_test.sh ${prefix}
                 ${CMAKE_BINARY_DIR}/pitbox-${PROJECT_VERSION}-setup.exe
                 ${CMAKE_BINARY_DIR}/pitbox-${PROJECT_VERSION}-windows-portable.zip
                 $<TARGET_FILE:pitbox_thumbnail_host> ${CMAKE_SOURCE_DIR}/examples/tracks)
set_tests_properties(wine_installer PROPERTIES FIXTURES_REQUIRED wine)
