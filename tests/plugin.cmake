# The plug-in host boundary: the built module through its binary interface, and the
# plug-in classes linked statically for what the interface cannot show.
add_executable(plugin_module_tests ${CMAKE_CURRENT_LIST_DIR}/plugin_module_test.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/plugin_display_test.cpp)
target_link_libraries(plugin_module_tests PRIVATE GTest::gtest_main ${CMAKE_DL_LIBS})
target_compile_definitions(plugin_module_tests PRIVATE ZELVIK_MODULE_PATH="$<TARGET_FILE:zelvik>")
add_dependencies(plugin_module_tests zelvik)
gtest_discover_tests(plugin_module_tests)

add_executable(plugin_unit_tests ${CMAKE_CURRENT_LIST_DIR}/plugin_output_stage_test.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/plugin_class_test.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/plugin_midi_test.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/plugin_render_test.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/plugin_threads_test.cpp)
target_link_libraries(plugin_unit_tests PRIVATE zelvik_plugin_all GTest::gtest_main)
gtest_discover_tests(plugin_unit_tests)

# Its own binary: it replaces the global allocation functions.
add_executable(plugin_alloc_tests ${CMAKE_CURRENT_LIST_DIR}/plugin_alloc_test.cpp)
target_link_libraries(plugin_alloc_tests PRIVATE zelvik_plugin_all GTest::gtest_main)
gtest_discover_tests(plugin_alloc_tests)

# The Windows builds, when the Makefile has made them: export table and imports.
find_program(ZELVIK_PE_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump REQUIRED)
foreach(build WIN64 WIN32)
  if(ZELVIK_${build}_DIR)
    if(build STREQUAL "WIN64")
      set(dll ${ZELVIK_${build}_DIR}/zelvik-x64.dll)
    else()
      set(dll ${ZELVIK_${build}_DIR}/zelvik-x86.dll)
    endif()
    add_test(NAME PluginWindowsModule.${build}ExportsAndImports
             COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${ZELVIK_PE_OBJDUMP} -DMODULE=${dll}
                     -P ${CMAKE_SOURCE_DIR}/module/check_module_exports.cmake)
    set_tests_properties(PluginWindowsModule.${build}ExportsAndImports PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED")
  endif()
endforeach()
