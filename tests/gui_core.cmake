# The GUI toolkit core: draw context, bitmaps, the software rasteriser and fonts, the
# memory back end and PNG output; and the committed font tables against a fresh bake.
add_executable(gui_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/gui_draw_context_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gui_draw_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gui_draw_platform_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gui_bitmap_test.cpp)
target_link_libraries(gui_core_tests PRIVATE zelvik_gui zelvik_gui_memory GTest::gtest_main)
gtest_discover_tests(gui_core_tests)

add_executable(gui_png_tests ${CMAKE_CURRENT_LIST_DIR}/gui_draw_png_test.cpp)
target_link_libraries(gui_png_tests PRIVATE zelvik_gui_png GTest::gtest_main)
gtest_discover_tests(gui_png_tests)

add_test(NAME gui_font_tables_regenerate
  COMMAND ${CMAKE_COMMAND}
    -DBAKER=$<TARGET_FILE:zelvik-font-baker>
    "-DFONTS=${ZELVIK_FONT_FILES}"
    -DCOMMITTED=${CMAKE_SOURCE_DIR}/gui/platform/raster/font_tables.cpp
    -DOUTPUT=${CMAKE_CURRENT_BINARY_DIR}/font_tables_regenerated.cpp
    -P ${CMAKE_SOURCE_DIR}/tools/font_baker/compare_font_tables.cmake)
