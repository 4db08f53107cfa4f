# The GUI toolkit core: draw context, bitmaps, the software rasteriser and fonts, and the
# memory back end. Built from the core sources directly so the suites do not wait on the
# rest of the toolkit.
if(TARGET zelvik_gui_memory)
  add_executable(gui_core_tests
    ${CMAKE_SOURCE_DIR}/gui/draw_context.cpp
    ${CMAKE_SOURCE_DIR}/gui/bitmap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gui_draw_context_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gui_draw_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gui_draw_platform_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gui_bitmap_test.cpp)
  target_link_libraries(gui_core_tests PRIVATE zelvik_gui_memory GTest::gtest_main)
  if(TARGET zelvik_resources AND EXISTS ${CMAKE_SOURCE_DIR}/resources/embedded_resources.h)
    target_compile_definitions(gui_core_tests PRIVATE ZELVIK_TEST_EMBEDDED_SKIN=1)
  endif()
  gtest_discover_tests(gui_core_tests)
endif()

if(TARGET zelvik_gui_png)
  add_executable(gui_png_tests ${CMAKE_CURRENT_LIST_DIR}/gui_draw_png_test.cpp)
  target_link_libraries(gui_png_tests PRIVATE zelvik_gui_png GTest::gtest_main)
  gtest_discover_tests(gui_png_tests)
endif()

# The committed glyph tables are what the baker makes from the font files today.
if(TARGET zelvik-font-baker)
  add_test(NAME gui_font_tables_regenerate
    COMMAND ${CMAKE_COMMAND}
      -DBAKER=$<TARGET_FILE:zelvik-font-baker>
      "-DFONTS=${ZELVIK_FONT_FILES}"
      -DCOMMITTED=${CMAKE_SOURCE_DIR}/gui/platform/raster/font_tables.cpp
      -DOUTPUT=${CMAKE_CURRENT_BINARY_DIR}/font_tables_regenerated.cpp
      -P ${CMAKE_SOURCE_DIR}/gui/platform/raster/compare_font_tables.cmake)
endif()
