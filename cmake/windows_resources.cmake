# The string table as a STRINGTABLE resource of the DLL, in English
# (language 0x400) and Japanese (0x411).
#
# Included by the build, this file adds the rules; run as a script
# (cmake -DVELMORA_STRINGS=... -DVELMORA_RC=... -P windows_resources.cmake)
# it turns the tab-separated table into a UTF-8 resource script.

if(CMAKE_SCRIPT_MODE_FILE)
  # One STRINGTABLE block per language; quotes double, backslashes escape.
  function(velmora_rc_quote text out)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\"\"" text "${text}")
    set(${out} "\"${text}\"" PARENT_SCOPE)
  endfunction()

  file(STRINGS ${VELMORA_STRINGS} lines ENCODING UTF-8)
  set(english "")
  set(japanese "")
  foreach(line IN LISTS lines)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    string(FIND "${line}" "\t" first)
    if(first LESS 1)
      message(FATAL_ERROR "${VELMORA_STRINGS}: no id in line '${line}'")
    endif()
    string(SUBSTRING "${line}" 0 ${first} id)
    math(EXPR rest_start "${first} + 1")
    string(SUBSTRING "${line}" ${rest_start} -1 rest)
    string(FIND "${rest}" "\t" second)
    if(second LESS 0 OR NOT id MATCHES "^[0-9]+$")
      message(FATAL_ERROR "${VELMORA_STRINGS}: expected id, English and Japanese in '${line}'")
    endif()
    string(SUBSTRING "${rest}" 0 ${second} en)
    math(EXPR ja_start "${second} + 1")
    string(SUBSTRING "${rest}" ${ja_start} -1 ja)
    velmora_rc_quote("${en}" en)
    velmora_rc_quote("${ja}" ja)
    string(APPEND english "  ${id}, ${en}\n")
    string(APPEND japanese "  ${id}, ${ja}\n")
  endforeach()

  file(WRITE ${VELMORA_RC}
"// Generated from resources/strings.tsv; do not edit.
#pragma code_page(65001)

LANGUAGE 0x00, 0x01
STRINGTABLE
BEGIN
${english}END

LANGUAGE 0x11, 0x01
STRINGTABLE
BEGIN
${japanese}END
")
  return()
endif()

# windres straight to a COFF object: the C and C++ flags stay away from it.
set(VELMORA_STRINGS_TSV ${CMAKE_SOURCE_DIR}/resources/strings.tsv)
set(VELMORA_STRINGS_RC ${CMAKE_BINARY_DIR}/generated/velmora_strings.rc)
set(VELMORA_STRINGS_OBJECT ${CMAKE_BINARY_DIR}/generated/velmora_strings.res.o)
add_custom_command(
  OUTPUT ${VELMORA_STRINGS_RC}
  COMMAND ${CMAKE_COMMAND} -DVELMORA_STRINGS=${VELMORA_STRINGS_TSV} -DVELMORA_RC=${VELMORA_STRINGS_RC}
          -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${VELMORA_STRINGS_TSV} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Writing the string table resource script")
add_custom_command(
  OUTPUT ${VELMORA_STRINGS_OBJECT}
  COMMAND ${CMAKE_RC_COMPILER} -c 65001 -l 0x400 -J rc -O coff
          -i ${VELMORA_STRINGS_RC} -o ${VELMORA_STRINGS_OBJECT}
  DEPENDS ${VELMORA_STRINGS_RC}
  COMMENT "Compiling the string table resource")
set_source_files_properties(${VELMORA_STRINGS_OBJECT} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
target_sources(velmora_module PRIVATE ${VELMORA_STRINGS_OBJECT})

# A VERSIONINFO resource from the project version, for the module and the
# programs: velmora_version_resource(target file-name description file-type)
# with file-type 0x1 for a program, 0x2 for a DLL.
function(velmora_version_resource target filename description filetype)
  set(VELMORA_RC_FILENAME "${filename}")
  set(VELMORA_RC_DESCRIPTION "${description}")
  set(VELMORA_RC_FILETYPE "${filetype}")
  get_filename_component(VELMORA_RC_INTERNAL "${filename}" NAME_WE)
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}_version.rc)
  set(object ${CMAKE_BINARY_DIR}/generated/${target}_version.res.o)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/velmora_version.rc.in ${rc} @ONLY)
  add_custom_command(
    OUTPUT ${object}
    COMMAND ${CMAKE_RC_COMPILER} -c 65001 -J rc -O coff -i ${rc} -o ${object}
    DEPENDS ${rc}
    COMMENT "Compiling the version resource of ${filename}")
  set_source_files_properties(${object} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  target_sources(${target} PRIVATE ${object})
endfunction()

velmora_version_resource(velmora_module Velmora.cpm
  "Velmora Plugin: comic-style effect lines for painting applications" 0x2)
