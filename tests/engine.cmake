# The sound engine: oscillators, envelopes, filter, voices, arpeggiator and LFO.
add_executable(engine_tests
  ${CMAKE_CURRENT_LIST_DIR}/engine_sound_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_modulation_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_bitexact_test.cpp)
# The parameter mapping and the default program come from the plug-in's table.
target_link_libraries(engine_tests PRIVATE zelvik_parameters GTest::gtest_main)
gtest_discover_tests(engine_tests NO_PRETTY_VALUES)
