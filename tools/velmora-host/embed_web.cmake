# Writes a C++ source holding the files of FILES (a ;-list) as the table
# behind velmora::cli::FindWebFile().
include(${CMAKE_CURRENT_LIST_DIR}/embed_bytes.cmake)
set(arrays "")
set(entries "")
set(i 0)
foreach(path IN LISTS FILES)
  get_filename_component(name ${path} NAME)
  get_filename_component(ext ${path} LAST_EXT)
  if(ext STREQUAL ".html")
    set(type "text/html; charset=utf-8")
  elseif(ext STREQUAL ".js")
    set(type "text/javascript; charset=utf-8")
  elseif(ext STREQUAL ".css")
    set(type "text/css; charset=utf-8")
  else()
    set(type "application/octet-stream")
  endif()
  velmora_char_items(${path} bytes)
  string(APPEND arrays "const char kFile${i}[] = {\n    ${bytes}};\n")
  string(APPEND entries "    {\"${name}\", \"${type}\", std::string_view(kFile${i}, sizeof kFile${i})},\n")
  math(EXPR i "${i} + 1")
endforeach()
velmora_write_source(${OUTPUT}
  "// Generated from tools/velmora-host/web; do not edit.\n"
  "#include \"tools/velmora-host/web_files.h\"\n\n"
  "namespace velmora::cli {\nnamespace {\n"
  "${arrays}"
  "const WebFile kFiles[] = {\n${entries}};\n"
  "}  // namespace\n\n"
  "const WebFile* FindWebFile(std::string_view name) {\n"
  "    for (const WebFile& f : kFiles) {\n"
  "        if (f.name == name) return &f;\n"
  "    }\n"
  "    return nullptr;\n"
  "}\n\n"
  "}  // namespace velmora::cli\n")
