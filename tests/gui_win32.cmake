# The Windows back end, run: zelvik-render.exe embeds zelvik-x64.dll's editor under wine64 on
# an X server of the test's own (Xvfb), and what it shows and does is compared with the
# memory back end and the host calls.
add_executable(gui_win32_tests ${CMAKE_CURRENT_LIST_DIR}/gui_win32_editor_test.cpp)
target_link_libraries(gui_win32_tests PRIVATE zelvik_host zelvik_plugin_all GTest::gtest_main)
target_compile_definitions(gui_win32_tests PRIVATE
  ZELVIK_RENDER_EXE="$<TARGET_FILE:zelvik-render>"
  ZELVIK_WIN64_DIR="${ZELVIK_WIN64_DIR}"
  ZELVIK_SKIN_DIR="${CMAKE_SOURCE_DIR}/resources/skin"
  GUI_WINE_PREFIX="${CMAKE_BINARY_DIR}/wineprefix-gui")
add_dependencies(gui_win32_tests zelvik-render)
# One Wine prefix serves them all: one at a time. The first run creates the prefix.
gtest_discover_tests(gui_win32_tests PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine_gui_prefix)
