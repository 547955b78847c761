# Writes a C++ source holding the bytes of INPUT as velmora::cli::SamplePng().
include(${CMAKE_CURRENT_LIST_DIR}/embed_bytes.cmake)
velmora_char_items(${INPUT} bytes)
velmora_write_source(${OUTPUT}
  "// Generated from ${INPUT}; do not edit.\n"
  "#include \"tools/velmora-host/sample.h\"\n\n"
  "namespace velmora::cli {\nnamespace {\n"
  "const char kBytes[] = {\n    ${bytes}};\n"
  "}  // namespace\n\n"
  "std::string_view SamplePng() { return std::string_view(kBytes, sizeof kBytes); }\n\n"
  "}  // namespace velmora::cli\n")
