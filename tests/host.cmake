# zelvik-render and its library: MIDI and preset files, the host callback, the loader, the
# command line, and (once the plug-in exists) the Windows builds.
# Small plug-ins that play the host's counterpart: a probe that makes the host's
# behaviour audible, and three broken libraries.
set(HOST_FIXTURE_DIR ${CMAKE_BINARY_DIR}/host-fixtures)
foreach(fixture probe null bad_magic no_entry)
  add_library(host_plugin_${fixture} MODULE ${CMAKE_CURRENT_LIST_DIR}/host_plugin_${fixture}.cpp)
  set_target_properties(host_plugin_${fixture} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${HOST_FIXTURE_DIR}
                                                          CXX_VISIBILITY_PRESET hidden)
endforeach()

set(HOST_TEST_SOURCES host_midi_file_test.cpp host_fxp_test.cpp host_context_test.cpp host_cli_test.cpp
                      host_render_test.cpp)
list(APPEND HOST_TEST_SOURCES host_windows_test.cpp)
list(TRANSFORM HOST_TEST_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
add_executable(host_tests ${HOST_TEST_SOURCES})
target_link_libraries(host_tests PRIVATE zelvik_host GTest::gtest_main ${CMAKE_DL_LIBS})
target_compile_definitions(host_tests PRIVATE
  ZELVIK_RENDER_EXE="$<TARGET_FILE:zelvik-render>"
  HOST_PROBE_PLUGIN="$<TARGET_FILE:host_plugin_probe>"
  HOST_NULL_PLUGIN="$<TARGET_FILE:host_plugin_null>"
  HOST_BAD_MAGIC_PLUGIN="$<TARGET_FILE:host_plugin_bad_magic>"
  HOST_NO_ENTRY_PLUGIN="$<TARGET_FILE:host_plugin_no_entry>"
  HOST_KARS_PLUGIN="/usr/lib/vst/Kars-vst.so"
  ZELVIK_WIN64_DIR="${ZELVIK_WIN64_DIR}"
  ZELVIK_WIN32_DIR="${ZELVIK_WIN32_DIR}"
  HOST_WINE_PREFIX="${CMAKE_BINARY_DIR}/wineprefix")
target_compile_definitions(host_tests PRIVATE ZELVIK_NATIVE_PLUGIN="$<TARGET_FILE:zelvik>")
add_dependencies(host_tests zelvik)
add_dependencies(host_tests zelvik-render host_plugin_probe host_plugin_null host_plugin_bad_magic
                 host_plugin_no_entry)
# Wine's first start in a fresh prefix takes a while.
gtest_discover_tests(host_tests PROPERTIES TIMEOUT 600)
