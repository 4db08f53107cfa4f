# Golden renders and end-to-end sound checks: the built instrument played through the
# host's loader and through zelvik-render. Stored renders live in tests/data/golden.
add_executable(golden_tests ${CMAKE_CURRENT_LIST_DIR}/golden_render_test.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/golden_e2e_test.cpp)
target_link_libraries(golden_tests PRIVATE zelvik_host GTest::gtest_main)
target_compile_definitions(golden_tests PRIVATE
  ZELVIK_PLUGIN_PATH="$<TARGET_FILE:zelvik>"
  ZELVIK_RENDER_EXE="$<TARGET_FILE:zelvik-render>"
  ZELVIK_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/data/golden"
  ZELVIK_WIN64_DIR="${ZELVIK_WIN64_DIR}"
  GOLDEN_WINE_PREFIX="${CMAKE_BINARY_DIR}/wineprefix-golden")
add_dependencies(golden_tests zelvik zelvik-render)
# Wine's first start in a fresh prefix takes a while.
gtest_discover_tests(golden_tests PROPERTIES TIMEOUT 600)

