# The live preview in a real browser: headless Chromium driven by Selenium
# (Debian's chromium, chromium-driver, python3-selenium; .ci/run installs
# them). Skips where they are missing. Not under the sanitizers: Chromium
# and the browser's timing are not what they check.
if(TARGET velmora-host AND NOT WIN32 AND NOT VELMORA_SANITIZE)
  # Debian's Selenium is installed for the system's Python.
  find_program(VELMORA_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
  if(VELMORA_SYSTEM_PYTHON)
    add_test(NAME serve_browser
      COMMAND ${VELMORA_SYSTEM_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/serve_browser_test.py
              $<TARGET_FILE:velmora-host> --screenshot ${CMAKE_BINARY_DIR}/serve.png)
    set_tests_properties(serve_browser PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
  endif()
endif()
