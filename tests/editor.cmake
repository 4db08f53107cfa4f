# The instrument's editor: the panel on the memory back end with the plug-in linked in, and
# `zelvik-render snapshot`.
add_executable(editor_tests
  ${CMAKE_CURRENT_LIST_DIR}/editor_layout_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editor_binding_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editor_snapshot_test.cpp)
target_link_libraries(editor_tests PRIVATE zelvik_plugin_all zelvik_gui_png GTest::gtest_main)
target_compile_definitions(editor_tests PRIVATE ZELVIK_RENDER_EXE="$<TARGET_FILE:zelvik-render>")
add_dependencies(editor_tests zelvik-render)
gtest_discover_tests(editor_tests)
