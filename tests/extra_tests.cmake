# The tool's own picture, file and progress code, to make and check pictures.
if(WIN32)
  set(VELMORA_SELF_PATH self_path_win32.cpp system_win32.cpp)
else()
  set(VELMORA_SELF_PATH self_path_posix.cpp system_posix.cpp)
endif()
set(VELMORA_CLI_PARTS picture.cpp png_io.cpp files.cpp progress_bar.cpp ${VELMORA_SELF_PATH}
  svg_path_data.cpp svg_document.cpp module_guide_reading.cpp guide_import.cpp)
list(TRANSFORM VELMORA_CLI_PARTS PREPEND ${CMAKE_SOURCE_DIR}/tools/velmora-host/)

# The command-line host, run as a user runs it.
# POSIX only: the runner uses a shell, mkdtemp and setenv.
if(TARGET velmora-host AND NOT WIN32)
  file(GLOB VELMORA_CLI_TESTS CONFIGURE_DEPENDS tools/*_test.cpp)
  add_executable(velmora_cli_tests ${VELMORA_CLI_TESTS} ${VELMORA_CLI_PARTS})
  target_include_directories(velmora_cli_tests PRIVATE ${CMAKE_SOURCE_DIR})
  # velmora_core: the module's own guide reader, to check the guides written for it.
  target_link_libraries(velmora_cli_tests PRIVATE velmora_host_core velmora_core GTest::gmock_main)

  # A module whose module initialise fails, with a string table beside it.
  add_library(velmora_failing_module SHARED tools/failing_module.c)
  target_include_directories(velmora_failing_module PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(velmora_failing_module PROPERTIES
    OUTPUT_NAME Failing PREFIX "" SUFFIX ".cpm"
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-modules
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-modules)
  add_custom_command(TARGET velmora_failing_module POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/resources/strings.tsv
            ${CMAKE_BINARY_DIR}/test-modules/Failing.strings)

  target_compile_definitions(velmora_cli_tests PRIVATE
    VELMORA_HOST_PATH="$<TARGET_FILE:velmora-host>"
    VELMORA_FAILING_MODULE="$<TARGET_FILE:velmora_failing_module>"
    VELMORA_MAKE_SAMPLE="$<TARGET_FILE:make-sample>"
    VELMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_dependencies(velmora_cli_tests velmora-host velmora_failing_module make-sample)
  add_test(NAME cli COMMAND velmora_cli_tests)

  # The preview server's parts, with the module loaded from its file.
  set(VELMORA_SERVE_PARTS colour_text.cpp data_folders.cpp edits.cpp module_session.cpp
      serve_guard.cpp serve_json.cpp serve_session.cpp serve_session_commands.cpp
      serve_session_thread.cpp)
  list(TRANSFORM VELMORA_SERVE_PARTS PREPEND ${CMAKE_SOURCE_DIR}/tools/velmora-host/)
  find_package(nlohmann_json 3 REQUIRED)
  target_sources(velmora_cli_tests PRIVATE ${VELMORA_SERVE_PARTS})
  target_link_libraries(velmora_cli_tests PRIVATE velmora_core nlohmann_json::nlohmann_json)
  target_compile_definitions(velmora_cli_tests PRIVATE
    VELMORA_MODULE_PATH="$<TARGET_FILE:velmora_module>")
endif()

# On Windows the tool's own picture and progress code runs under Wine; the
# program itself is run there by win32/ (velmora-host.exe on Japanese paths).
if(TARGET velmora-host AND WIN32)
  add_executable(velmora_cli_unit_tests
    tools/picture_test.cpp tools/progress_bar_test.cpp ${VELMORA_CLI_PARTS})
  target_include_directories(velmora_cli_unit_tests PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(velmora_cli_unit_tests PRIVATE velmora_host_core GTest::gmock_main
                                                      shell32 ole32)
  add_test(NAME cli_units COMMAND velmora_cli_unit_tests)
endif()
