# The string table ships beside the module as Velmora.strings, the data form
# our hosts read where a shared object carries no resources.
set(VELMORA_STRING_TABLE_SOURCE ${CMAKE_SOURCE_DIR}/resources/strings.tsv)
set(VELMORA_STRING_TABLE_OUTPUT ${CMAKE_BINARY_DIR}/bin/Velmora.strings)
add_custom_command(
  OUTPUT ${VELMORA_STRING_TABLE_OUTPUT}
  COMMAND ${CMAKE_COMMAND} -E copy ${VELMORA_STRING_TABLE_SOURCE} ${VELMORA_STRING_TABLE_OUTPUT}
  DEPENDS ${VELMORA_STRING_TABLE_SOURCE}
  COMMENT "Copying the string table beside the module")
add_custom_target(velmora_string_table ALL DEPENDS ${VELMORA_STRING_TABLE_OUTPUT})
add_dependencies(velmora_module velmora_string_table)
