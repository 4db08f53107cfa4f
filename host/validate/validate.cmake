# `zelvik-render validate`: added to the native (Linux) zelvik-render only. The checks
# fork, guard memory with mprotect and replace malloc, all of which are POSIX and glibc.
find_package(X11 REQUIRED)
target_sources(zelvik-render PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../cmd_validate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/allocation_counter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/audio_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check_process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/checks_audio.cpp
  ${CMAKE_CURRENT_LIST_DIR}/checks_lifecycle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/checks_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/checks_threads.cpp
  ${CMAKE_CURRENT_LIST_DIR}/guarded_region.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plugin_under_test.cpp)
find_package(Threads REQUIRED)
target_link_libraries(zelvik-render PRIVATE X11::X11 Threads::Threads)
target_compile_definitions(zelvik-render PRIVATE ZELVIK_HAVE_VALIDATE=1)
# The replaced malloc must be the one a loaded plug-in binds to.
target_link_options(zelvik-render PRIVATE
  -Wl,--export-dynamic-symbol=malloc -Wl,--export-dynamic-symbol=calloc -Wl,--export-dynamic-symbol=realloc
  -Wl,--export-dynamic-symbol=free -Wl,--export-dynamic-symbol=memalign -Wl,--export-dynamic-symbol=aligned_alloc
  -Wl,--export-dynamic-symbol=posix_memalign -Wl,--export-dynamic-symbol=__tsan_on_report)
