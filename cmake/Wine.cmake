# Windows test executables run under wine, in a prefix of their own inside the build directory.
set(TESSEL_WINEPREFIX ${PROJECT_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${TESSEL_WINEPREFIX})

# Every Windows test needs the prefix made and warm before it starts, and the wineserver gone when
# the run ends: a wineserver left behind would hold CTest's output pipe open.
function(tessel_wine_fixture)
    add_test(NAME wine_prefix_start
        COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${TESSEL_WINEPREFIX} --start)
    set_tests_properties(wine_prefix_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
    add_test(NAME wine_prefix_stop
        COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${TESSEL_WINEPREFIX} --stop)
    set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
endfunction()
