# Test script: bakes the glyph tables again and fails when they differ from the committed file.
execute_process(COMMAND ${BAKER} ${FONTS} ${OUTPUT} RESULT_VARIABLE baked)
if(NOT baked EQUAL 0)
  message(FATAL_ERROR "zelvik-font-baker failed (${baked})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${COMMITTED} ${OUTPUT}
                RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "font_tables.cpp is out of date: build zelvik-regenerate-fonts")
endif()
