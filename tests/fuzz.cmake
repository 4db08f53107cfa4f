# libFuzzer fuzzers (clang only): configure a separate build folder with
# -DZELVIK_FUZZ=ON and the sanitizer flags (the Makefile's fuzz targets do). Their seed
# corpora live in tests/fuzz/corpus/<name>/.
option(ZELVIK_FUZZ "Build the libFuzzer fuzzers (needs clang)" OFF)
if(ZELVIK_FUZZ)
  set(ZELVIK_FUZZERS vst_events dispatcher midi_file fxp bmp)
  foreach(name ${ZELVIK_FUZZERS})
    add_executable(fuzz_${name} ${CMAKE_CURRENT_LIST_DIR}/fuzz/fuzz_${name}.cpp)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  endforeach()
  target_link_libraries(fuzz_vst_events PRIVATE zelvik_plugin_all)
  target_link_libraries(fuzz_dispatcher PRIVATE zelvik_plugin_all)
  target_link_libraries(fuzz_midi_file PRIVATE zelvik_host)
  target_link_libraries(fuzz_fxp PRIVATE zelvik_host)
  target_link_libraries(fuzz_bmp PRIVATE zelvik_gui_raster)
  list(TRANSFORM ZELVIK_FUZZERS PREPEND fuzz_ OUTPUT_VARIABLE ZELVIK_FUZZ_TARGETS)
  add_custom_target(zelvik-fuzzers DEPENDS ${ZELVIK_FUZZ_TARGETS})
endif()
