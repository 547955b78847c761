# Fails when a source includes a header from a folder above its own.
#
#   cmake -DSOURCE_DIR=<project> -P check_layers.cmake
#
# The module's folders, top to bottom (layout and data side by side):
#   controller -> layout, data -> render -> host, platform
# The hosts outside the module (tools/host_core, tools/velmora-host) know
# it through the binary interface alone. Quoted includes name their folder;
# the generated version header is the one exception.

set(allowed_controller controller layout data render host platform)
set(allowed_layout layout render host platform)
set(allowed_data data render host platform)
set(allowed_render render host platform)
set(allowed_host host platform)
set(allowed_platform platform)
set(allowed_tools tools host/host_interface.h)

set(faults "")
set(checked 0)
foreach(folder controller layout data render host platform tools/host_core tools/velmora-host
               tools/make-sample)
  if(folder MATCHES "^tools/")
    set(allowed ${allowed_tools})
  else()
    set(allowed ${allowed_${folder}})
  endif()
  file(GLOB_RECURSE sources LIST_DIRECTORIES false
    ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.c
    ${SOURCE_DIR}/${folder}/*.inc)
  foreach(source ${sources})
    math(EXPR checked "${checked} + 1")
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" header "${line}")
      if(header STREQUAL "velmora_version.h")
        continue()
      endif()
      set(ok FALSE)
      foreach(prefix ${allowed})
        if(header STREQUAL prefix OR header MATCHES "^${prefix}/")
          set(ok TRUE)
        endif()
      endforeach()
      if(NOT ok)
        string(APPEND faults "  ${name} includes \"${header}\"\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no sources found under ${SOURCE_DIR}")
endif()
if(faults)
  message(FATAL_ERROR "includes that point up the layers:\n${faults}")
endif()
message(STATUS "${checked} sources, every include points down")
