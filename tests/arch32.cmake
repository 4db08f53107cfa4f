# The 32-bit code paths: the plug-in and a host built with -m32 (make build-i386), run under
# qemu-i386, must hear and answer exactly what the 64-bit build does.
add_executable(arch32_tests ${CMAKE_CURRENT_LIST_DIR}/arch32_test.cpp)
target_link_libraries(arch32_tests PRIVATE GTest::gtest_main)
target_compile_definitions(arch32_tests PRIVATE
  ZELVIK_PLUGIN_PATH="$<TARGET_FILE:zelvik>"
  ZELVIK_ARCH_CHECK="$<TARGET_FILE:zelvik-arch-check>"
  ZELVIK_I386_DIR="${ZELVIK_I386_DIR}")
add_dependencies(arch32_tests zelvik zelvik-arch-check)
gtest_discover_tests(arch32_tests PROPERTIES TIMEOUT 300)
