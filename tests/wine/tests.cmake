# The Windows build's tests run under Wine, in one throwaway prefix per test run
# inside the build folder, made first and whose server is ended last.
set(prefix ${CMAKE_BINARY_DIR}/wineprefix)
add_test(NAME wine_prefix COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/prefix.sh ${prefix} make)
add_test(NAME wine_stop COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/prefix.sh ${prefix} stop)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)

# Wine cannot make junctions: the loop the junction test walks is laid out with
# the host's links before the tests run.
add_test(NAME wine_link_loop COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine/link_loop.sh ${CMAKE_BINARY_DIR}/link-loop)
set_tests_properties(wine_link_loop PROPERTIES FIXTURES_SETUP link_loop)
set_tests_properties(unit PROPERTIES FIXTURES_REQUIRED "wine;link_loop"
                                     ENVIRONMENT "PITBOX_LINK_LOOP=Z:${CMAKE_BINARY_DIR}/link-loop")
