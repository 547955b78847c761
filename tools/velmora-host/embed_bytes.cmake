# Shared by the embed_*.cmake scripts: a file's bytes as the initialiser of
# a C++ char array, and a generated source written only when it changes.

# Sets `out` to the bytes of `path` as "'\x..'," items, 24 to a line.
function(velmora_char_items path out)
  file(READ ${path} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(REGEX REPLACE "(('\\\\x..',){24})" "\\1\n    " bytes "${bytes}")
  set(${out} "${bytes}" PARENT_SCOPE)
endfunction()

# Writes the other arguments, one after another, to `output`, keeping the
# file (and its time) when unchanged. Each is taken whole, semicolons too.
function(velmora_write_source output)
  set(text "")
  math(EXPR last "${ARGC} - 1")
  foreach(i RANGE 1 ${last})
    string(APPEND text "${ARGV${i}}")
  endforeach()
  file(WRITE ${output}.tmp "${text}")
  configure_file(${output}.tmp ${output} COPYONLY)
  file(REMOVE ${output}.tmp)
endfunction()
