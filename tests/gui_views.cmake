# Views, controls, the frame and the editor base, run against the memory back end.
add_executable(gui_views_tests
  ${CMAKE_CURRENT_LIST_DIR}/gui_views_base_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gui_views_knob_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gui_views_buttons_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gui_views_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gui_frame_routing_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gui_frame_editor_test.cpp
)
target_link_libraries(gui_views_tests PRIVATE zelvik_editor zelvik_gui_memory GTest::gtest_main)  # SynthSwitch too
gtest_discover_tests(gui_views_tests)

