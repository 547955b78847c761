# Writes a C++ source holding the bytes of INPUT as velmora::cli::SamplePng().
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('\\\\x..',){24})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
  "// Generated from ${INPUT}; do not edit.\n"
  "#include \"tools/velmora-host/sample.h\"\n\n"
  "namespace velmora::cli {\nnamespace {\n"
  "const char kBytes[] = {\n    ${bytes}};\n"
  "}  // namespace\n\n"
  "std::string_view SamplePng() { return std::string_view(kBytes, sizeof kBytes); }\n\n"
  "}  // namespace velmora::cli\n")
configure_file(${OUTPUT}.tmp ${OUTPUT} COPYONLY)
file(REMOVE ${OUTPUT}.tmp)
