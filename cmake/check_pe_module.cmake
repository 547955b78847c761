# Checks a PE module: cmake -DOBJDUMP=... -DMODULE=... [-DEXPORTS=a;b] -P check_pe_module.cmake
# Its exports must be exactly EXPORTS (default TriglavPluginCall), undecorated,
# and every imported DLL one that ships with Windows.
cmake_minimum_required(VERSION 3.20)
if(NOT EXPORTS)
  set(EXPORTS TriglavPluginCall)
endif()
set(system_dlls advapi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll ws2_32.dll)

execute_process(COMMAND ${OBJDUMP} -p ${MODULE}
  OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed: ${status}")
endif()
string(REPLACE "\n" ";" lines "${dump}")

set(imports "")
set(exports "")
set(in_names FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "DLL Name: (.+)$")
    string(TOLOWER "${CMAKE_MATCH_1}" dll)
    list(APPEND imports ${dll})
  elseif(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
    set(in_names TRUE)
  elseif(in_names AND line MATCHES "^[ \t]+\\[ *[0-9]+\\] (.+)$")
    list(APPEND exports "${CMAKE_MATCH_1}")
  elseif(in_names)
    set(in_names FALSE)
  endif()
endforeach()

if(NOT exports STREQUAL EXPORTS)
  message(FATAL_ERROR "${MODULE} exports '${exports}', expected '${EXPORTS}'")
endif()
if(NOT imports)
  message(FATAL_ERROR "${MODULE}: no imports found in the objdump output")
endif()
foreach(dll IN LISTS imports)
  if(NOT dll IN_LIST system_dlls)
    message(FATAL_ERROR "${MODULE} imports ${dll}, which is not a Windows system DLL")
  endif()
endforeach()
message(STATUS "${MODULE}: exports ${exports}; imports ${imports}")

# 64-bit Windows promises only 16-byte stack alignment, and MinGW's GCC does
# not realign the stack for 32-byte AVX spills: an aligned ymm load or store
# against the stack would fault on some calls. None may be in the code.
execute_process(COMMAND ${OBJDUMP} -d ${MODULE}
  OUTPUT_VARIABLE code RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -d ${MODULE} failed: ${status}")
endif()
string(REGEX MATCH "[^\n]*vmov(aps|apd|dqa)[ \t]+[^\n]*%ymm[^\n]*\\(%r[sb]p\\)[^\n]*" spill "${code}")
if(NOT spill)
  string(REGEX MATCH "[^\n]*vmov(aps|apd|dqa)[ \t]+[^\n]*\\(%r[sb]p\\)[^\n]*%ymm[^\n]*" spill "${code}")
endif()
if(spill)
  message(FATAL_ERROR "${MODULE} holds an aligned 32-byte stack access:\n${spill}")
endif()
