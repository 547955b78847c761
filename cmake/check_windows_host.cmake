# velmora-host.exe under Wine, as a user runs it: the bundled sample onto a
# picture in a folder with a Japanese name, then a preset and a guide with
# Japanese names. Checks the picture against the Linux build's reference,
# byte for byte, and that the module's data folders sit in the prefix's
# roaming application-data folder.
#   cmake -DWINE_RUN=... -DPREFIX=... -DHOST=...exe -DGOLDEN=sample.png
#         -DPRESET=rings.ini -DGUIDE=wave.svg -DWORK=scratch -P check_windows_host.cmake
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE "${WORK}")
set(out_dir "${WORK}/出力")
file(MAKE_DIRECTORY "${out_dir}")

function(run_host)
  execute_process(COMMAND sh "${WINE_RUN}" "${PREFIX}" "${HOST}" ${ARGN}
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "velmora-host ${ARGN} exited with ${rc}:\n${out}\n${err}")
  endif()
  set(host_output "${out}" PARENT_SCOPE)
endfunction()

# The prefix's roaming folder: drive_c/users/<user>/AppData/Roaming.
function(roaming_file kind name result)
  file(GLOB found "${PREFIX}/drive_c/users/*/AppData/Roaming/orvalen/vmplugin/${kind}/${name}")
  set(${result} "${found}" PARENT_SCOPE)
endfunction()

# 1. The sample, written into the Japanese folder: the Linux build's bytes.
run_host(render -o "出力/効果.png" --save-preset)
if(NOT EXISTS "${out_dir}/効果.png")
  message(FATAL_ERROR "no picture at 出力/効果.png:\n${host_output}")
endif()
file(SHA256 "${out_dir}/効果.png" drawn)
file(SHA256 "${GOLDEN}" expected)
if(NOT drawn STREQUAL expected)
  message(FATAL_ERROR "the sample's effect differs from ${GOLDEN}")
endif()

# The saved preset's path as printed, and the file in the prefix.
string(REGEX MATCH "saved preset [^\r\n]*[\\\\/]([^\\\\/\r\n]+\\.ini)" printed "${host_output}")
if(NOT printed)
  message(FATAL_ERROR "no saved preset reported:\n${host_output}")
endif()
set(saved "${CMAKE_MATCH_1}")
roaming_file(preset "${saved}" saved_file)
if(NOT saved_file)
  message(FATAL_ERROR "preset ${saved} is not in the prefix's roaming folder:\n${host_output}")
endif()
file(REMOVE ${saved_file})

# 2. A preset and a guide whose names are Japanese, used for one run (the
# roaming folder keeps nothing of them), then installed there.
configure_file("${PRESET}" "${WORK}/輪.ini" COPYONLY)
configure_file("${GUIDE}" "${WORK}/波線.svg" COPYONLY)
run_host(render -o "出力/一度.png" --preset "輪.ini" --guide "波線.svg")
roaming_file(preset "輪.ini" preset_file)
roaming_file(guide "波線.svg" guide_file)
if(preset_file OR guide_file)
  message(FATAL_ERROR "a preset or guide given for one run stayed in the roaming folder")
endif()
run_host(render -o "出力/波.png" --preset "輪.ini" --guide "波線.svg" --install)
roaming_file(preset "輪.ini" preset_file)
roaming_file(guide "波線.svg" guide_file)
if(NOT preset_file OR NOT guide_file)
  message(FATAL_ERROR "the Japanese preset or guide is not in the prefix's roaming folder")
endif()
file(SHA256 "${out_dir}/波.png" bent)
file(SHA256 "${out_dir}/一度.png" once)
if(bent STREQUAL expected OR NOT bent STREQUAL once)
  message(FATAL_ERROR "the Japanese guide and preset changed nothing, or not the same both times")
endif()
file(REMOVE ${preset_file} ${guide_file})

# 2b. The run reads the preset given, never another file of its name. The
# sample preset's values are printed; a different 輪.ini already in the
# roaming folder either stays out of the run (the data folder moved) or is
# refused by name, and is left as it was.
run_host(render -o "出力/値.png" --preset "輪.ini" --print-settings)
if(NOT host_output MATCHES "spacing=12" OR NOT host_output MATCHES "length=220")
  message(FATAL_ERROR "the run did not use the given preset's values:\n${host_output}")
endif()
file(GLOB preset_dir LIST_DIRECTORIES true
  "${PREFIX}/drive_c/users/*/AppData/Roaming/orvalen/vmplugin/preset")
set(other "[line]\nlength=33\nspacing=3\n")
file(WRITE "${preset_dir}/輪.ini" "${other}")
execute_process(COMMAND sh "${WINE_RUN}" "${PREFIX}" "${HOST}" render -o "出力/他.png"
  --preset "輪.ini" --print-settings
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(READ "${preset_dir}/輪.ini" kept_other)
file(REMOVE "${preset_dir}/輪.ini")
if(NOT kept_other STREQUAL other)
  message(FATAL_ERROR "the user's own 輪.ini was changed by a run given another one")
endif()
if(rc EQUAL 0)
  if(NOT out MATCHES "spacing=12" OR out MATCHES "spacing=3")
    message(FATAL_ERROR "a run given 輪.ini used the roaming folder's file of that name:\n${out}")
  endif()
elseif(NOT err MATCHES "already exists with other content")
  message(FATAL_ERROR "a run given 輪.ini failed (${rc}) without naming the clash:\n${out}\n${err}")
endif()

# 3. The picture through standard output, byte for byte.
execute_process(COMMAND sh "${WINE_RUN}" "${PREFIX}" "${HOST}" render -q -o -
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_FILE "${WORK}/stdout.png"
  ERROR_VARIABLE err)
file(SHA256 "${WORK}/stdout.png" piped)
if(NOT rc EQUAL 0 OR NOT piped STREQUAL expected)
  message(FATAL_ERROR "render -o - did not give the sample's bytes on standard output (${rc}): ${err}")
endif()

# 4. An output that is a symbolic link: the file it names receives the
# picture and the link stays. Wine shows a link of the host's file system as
# the plain file it names (no reparse point), so a program under Wine can't
# tell it is one; the check runs only where Wine shows the link.
file(WRITE "${WORK}/target.png" "older")
file(CREATE_LINK "target.png" "${WORK}/link.png" RESULT linked SYMBOLIC)
if(linked EQUAL 0)
  run_host(render -o link.png)
  file(SHA256 "${WORK}/target.png" through)
  if(IS_SYMLINK "${WORK}/link.png" AND NOT through STREQUAL expected)
    message(FATAL_ERROR "the link stayed but its target did not receive the picture")
  elseif(NOT IS_SYMLINK "${WORK}/link.png")
    message(STATUS "Wine showed the link as a plain file: not checked here")
  endif()
endif()

# 5. An output that is the source is refused, and the source kept.
execute_process(COMMAND sh "${WINE_RUN}" "${PREFIX}" "${HOST}" render "出力/効果.png" -o "出力/効果.png"
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(SHA256 "${out_dir}/効果.png" kept)
if(NOT rc EQUAL 2 OR NOT kept STREQUAL expected)
  message(FATAL_ERROR "an output naming the source was not refused (${rc}): ${err}")
endif()
file(REMOVE_RECURSE "${WORK}")
