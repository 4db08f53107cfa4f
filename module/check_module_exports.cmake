# Checks a built Windows plug-in DLL: it exports exactly main and VSTPluginMain,
# undecorated, and imports nothing but system DLLs (the runtime is linked in).
# Usage: cmake -DOBJDUMP=<objdump> -DMODULE=<dll> -P check_module_exports.cmake
if(NOT EXISTS "${MODULE}")
  message("SKIPPED: ${MODULE} has not been built")
  return()
endif()
execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} could not read ${MODULE}")
endif()

# The name table: "[Ordinal/Name Pointer] Table" followed by one row per name.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(\t\\[ *[0-9]+\\] [^\n]+\n)*" table "${dump}")
string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [^\n]+" rows "${table}")
set(exports "")
foreach(row ${rows})
  string(REGEX REPLACE "\t\\[ *[0-9]+\\] " "" name "${row}")
  list(APPEND exports "${name}")
endforeach()
list(SORT exports)
if(NOT exports STREQUAL "VSTPluginMain;main")
  message(FATAL_ERROR "exports of ${MODULE} are '${exports}', expected VSTPluginMain and main")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import ${imports})
  string(TOLOWER "${import}" lower)
  if(lower MATCHES "libstdc|libgcc|libwinpthread|mingw")
    message(FATAL_ERROR "${MODULE} depends on a runtime DLL: ${import}")
  endif()
endforeach()
message("${MODULE}: exports ${exports}; ${imports}")
