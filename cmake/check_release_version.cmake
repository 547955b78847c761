# Checks that a release tells one version everywhere:
#   cmake -DVERSION=1.2.3 -DMODULE=Velmora.cpm -DCHANGELOG=CHANGELOG.md -P check_release_version.cmake
# The module file carries "Velmora VERSION" (and no other Velmora version
# string); the changelog's first release heading is VERSION.
cmake_minimum_required(VERSION 3.20)

file(STRINGS "${MODULE}" tags REGEX "^Velmora [0-9]+\\.[0-9]+\\.[0-9]+$")
list(REMOVE_DUPLICATES tags)
if(NOT tags STREQUAL "Velmora ${VERSION}")
  message(FATAL_ERROR "${MODULE} carries the version strings '${tags}', expected 'Velmora ${VERSION}'")
endif()

file(STRINGS "${CHANGELOG}" headings REGEX "^## ")
if(headings)
  list(GET headings 0 first)
endif()
if(NOT first MATCHES "^## ([^ ]+)")
  message(FATAL_ERROR "${CHANGELOG}: no release heading")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "${CHANGELOG} starts with ${CMAKE_MATCH_1}, the project is ${VERSION}")
endif()
message(STATUS "${MODULE} and ${CHANGELOG}: version ${VERSION}")
