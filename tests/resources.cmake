# The skin: committed bitmaps against the generator, their formats and contents, the
# embedded copies and the Windows resource script (and the DLLs, when built).
add_executable(resources_tests
  ${CMAKE_CURRENT_LIST_DIR}/resources_regenerate_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resources_bitmap_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resources_panel_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resources_embedded_test.cpp)
target_link_libraries(resources_tests PRIVATE zelvik_skin_painter zelvik_resources GTest::gtest_main)
target_compile_definitions(resources_tests PRIVATE
  ZELVIK_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  ZELVIK_SKIN_TOOL="$<TARGET_FILE:zelvik-skin>"
  ZELVIK_SKIN_FONT_DIR="${ZELVIK_SKIN_FONT_DIR}"
  ZELVIK_WIN64_DIR="${ZELVIK_WIN64_DIR}"
  ZELVIK_WIN32_DIR="${ZELVIK_WIN32_DIR}")
add_dependencies(resources_tests zelvik-skin)
gtest_discover_tests(resources_tests)

