# `zelvik-render validate` on the instrument: every check, under a virtual X server so that
# the editor really opens. A build made with -fsanitize=thread registers only the threads
# check (the Makefile's TSan build builds nothing else).
find_program(ZELVIK_XVFB_RUN xvfb-run REQUIRED)
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize=thread")
  add_test(NAME ValidateZelvik.ThreadsUnderThreadSanitizer
           COMMAND ${ZELVIK_XVFB_RUN} -a $<TARGET_FILE:zelvik-render> validate $<TARGET_FILE:zelvik> --check threads)
  # Every report also fails the check, but the count is what tells how far off it is.
  set_tests_properties(ValidateZelvik.ThreadsUnderThreadSanitizer PROPERTIES
                       ENVIRONMENT "TSAN_OPTIONS=second_deadlock_stack=1 history_size=4" TIMEOUT 600)
  return()
endif()
add_test(NAME ValidateZelvik.AllChecks
         COMMAND ${ZELVIK_XVFB_RUN} -a $<TARGET_FILE:zelvik-render> validate $<TARGET_FILE:zelvik>)
set_tests_properties(ValidateZelvik.AllChecks PROPERTIES TIMEOUT 900)

# The validator's own tests, against a fixture plug-in that commits one fault on request.
add_library(validate_rogue_plugin MODULE ${CMAKE_CURRENT_LIST_DIR}/validate_rogue_plugin.cpp)
set_target_properties(validate_rogue_plugin PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY
                      ${CMAKE_BINARY_DIR}/host-fixtures CXX_VISIBILITY_PRESET hidden)
add_executable(validate_tests ${CMAKE_CURRENT_LIST_DIR}/validate_test.cpp)
target_link_libraries(validate_tests PRIVATE zelvik_host GTest::gtest_main)
target_compile_definitions(validate_tests PRIVATE ZELVIK_RENDER_EXE="$<TARGET_FILE:zelvik-render>"
                           VALIDATE_ROGUE_PLUGIN="$<TARGET_FILE:validate_rogue_plugin>")
add_dependencies(validate_tests zelvik-render validate_rogue_plugin)
gtest_discover_tests(validate_tests PROPERTIES TIMEOUT 300)
