# The X11 back end and `zelvik-render editor`, under a virtual X server that the tests start
# on a free display (fixture x11_server) and stop afterwards. The tests share the server's
# one pointer and keyboard, so they never run in parallel.
find_program(ZELVIK_XVFB Xvfb REQUIRED)
find_package(X11 REQUIRED)
if(NOT X11_XRes_FOUND)
  message(FATAL_ERROR "XRes not found (Debian package libxres-dev)")
endif()
set(X11_DISPLAY_FILE ${CMAKE_BINARY_DIR}/x11-test-display)
add_test(NAME x11_server_start COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/x11_server.sh start ${X11_DISPLAY_FILE})
add_test(NAME x11_server_stop COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/x11_server.sh stop ${X11_DISPLAY_FILE})
set_tests_properties(x11_server_start PROPERTIES FIXTURES_SETUP x11_server)
set_tests_properties(x11_server_stop PROPERTIES FIXTURES_CLEANUP x11_server)

set(X11_TEST_SOURCES x11_backend_test.cpp x11_editor_command_test.cpp)
list(TRANSFORM X11_TEST_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
add_executable(x11_tests ${X11_TEST_SOURCES})
target_link_libraries(x11_tests PRIVATE zelvik_plugin_onscreen X11::Xtst X11::XRes GTest::gtest_main)
# Leaks of the editor's open and close, the toolkit's included, fail the run.
target_compile_options(x11_tests PRIVATE -fsanitize=address -fno-omit-frame-pointer)
target_link_options(x11_tests PRIVATE -fsanitize=address)
target_compile_definitions(x11_tests PRIVATE ZELVIK_RENDER_EXE="$<TARGET_FILE:zelvik-render>"
                                             ZELVIK_NATIVE_PLUGIN="$<TARGET_FILE:zelvik>"
                                             X11_SERVER_SCRIPT="${CMAKE_CURRENT_LIST_DIR}/x11_server.sh")
add_dependencies(x11_tests zelvik zelvik-render)
gtest_discover_tests(x11_tests PROPERTIES
  FIXTURES_REQUIRED x11_server
  RESOURCE_LOCK x11_input
  ENVIRONMENT "ZELVIK_X11_DISPLAY_FILE=${X11_DISPLAY_FILE}")
