# What `cmake --install` puts where, and the packages `cpack` makes from it.
#
# Windows, one folder:    Velmora.cpm, velmora-host.exe, INSTALL.txt,
#                         README.md, CHANGELOG.md, docs\, samples\ (the
#                         picture, presets\, guides\)
# Linux (GNUInstallDirs): lib/velmora/{Velmora.cpm, Velmora.strings, velmora-host},
#                         bin/velmora-host -> ../lib/velmora/velmora-host,
#                         share/velmora/samples/, share/doc/velmora-host/
#
# velmora-host loads the Velmora.cpm beside its own file (symbolic links
# resolved), so on Linux the program lives beside the module and bin/ holds
# a link to it. Velmora.strings goes along on Linux only: our hosts read the
# string table from it there, a DLL carries it as a resource.
#
# Packages (cpack in the build folder, or the `package` target):
#   Windows: Velmora-<version>-win64.zip
#   Linux:   Velmora-<version>-linux-x86_64.tar.gz, velmora-host_<version>_amd64.deb

file(GLOB VELMORA_SAMPLE_PICTURES ${CMAKE_SOURCE_DIR}/samples/*.png)
file(GLOB VELMORA_SAMPLE_PRESETS ${CMAKE_SOURCE_DIR}/samples/*.ini)
file(GLOB VELMORA_SAMPLE_GUIDES ${CMAKE_SOURCE_DIR}/samples/*.svg)
# The pictures the README shows.
set(VELMORA_DOC_PICTURES
  ${CMAKE_SOURCE_DIR}/docs/radial.png ${CMAKE_SOURCE_DIR}/docs/speed-lines.png
  ${CMAKE_SOURCE_DIR}/docs/rings.png)

configure_file(${CMAKE_SOURCE_DIR}/docs/INSTALL.txt.in ${CMAKE_BINARY_DIR}/generated/INSTALL.txt @ONLY)

if(WIN32)
  set(VELMORA_MODULE_DIR .)
  set(VELMORA_SAMPLE_DIR samples)
  set(VELMORA_DOC_DIR .)
  set(VELMORA_DOC_PICTURE_DIR docs)
  # Cross-built: the folder to copy to Windows, not a Windows path on this machine.
  if(CMAKE_CROSSCOMPILING AND CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX ${CMAKE_BINARY_DIR}/Velmora-${PROJECT_VERSION}-win64
        CACHE PATH "Install folder" FORCE)
  endif()
else()
  include(GNUInstallDirs)
  set(VELMORA_MODULE_DIR ${CMAKE_INSTALL_LIBDIR}/velmora)
  set(VELMORA_SAMPLE_DIR ${CMAKE_INSTALL_DATADIR}/velmora/samples)
  # Debian's documentation folder is named after the package.
  set(VELMORA_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmora-host)
  set(VELMORA_DOC_PICTURE_DIR ${VELMORA_DOC_DIR}/docs)
endif()

# The module; on Windows its import library stays out of every install.
install(TARGETS velmora_module
  RUNTIME DESTINATION ${VELMORA_MODULE_DIR}
  LIBRARY DESTINATION ${VELMORA_MODULE_DIR}
  ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
if(NOT WIN32)
  install(FILES ${CMAKE_BINARY_DIR}/bin/Velmora.strings DESTINATION ${VELMORA_MODULE_DIR})
endif()

if(TARGET velmora-host)
  install(TARGETS velmora-host RUNTIME DESTINATION ${VELMORA_MODULE_DIR})
  if(NOT WIN32)
    file(RELATIVE_PATH VELMORA_HOST_LINK /${CMAKE_INSTALL_BINDIR} /${VELMORA_MODULE_DIR}/velmora-host)
    install(CODE "
      set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/velmora-host\")
      message(STATUS \"Installing: \${link} -> ${VELMORA_HOST_LINK}\")
      file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
      file(REMOVE \"\${link}\")
      file(CREATE_LINK \"${VELMORA_HOST_LINK}\" \"\${link}\" SYMBOLIC)")
  endif()
endif()

install(FILES ${VELMORA_SAMPLE_PICTURES} DESTINATION ${VELMORA_SAMPLE_DIR})
install(FILES ${VELMORA_SAMPLE_PRESETS} DESTINATION ${VELMORA_SAMPLE_DIR}/presets)
install(FILES ${VELMORA_SAMPLE_GUIDES} DESTINATION ${VELMORA_SAMPLE_DIR}/guides)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/CHANGELOG.md
              ${CMAKE_BINARY_DIR}/generated/INSTALL.txt
        DESTINATION ${VELMORA_DOC_DIR})
install(FILES ${VELMORA_DOC_PICTURES} DESTINATION ${VELMORA_DOC_PICTURE_DIR})

set(CPACK_PACKAGE_NAME Velmora)
set(CPACK_PACKAGE_VENDOR "Orvalen Works")
set(CPACK_PACKAGE_CONTACT "Orvalen Works")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Velmora Plugin filter module (comic-style effect lines) and velmora-host, which runs it")
set(CPACK_STRIP_FILES ON)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Velmora-${PROJECT_VERSION}-win64)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_PACKAGE_FILE_NAME Velmora-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_DEBIAN_PACKAGE_NAME velmora-host)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "velmora-host loads the Velmora Plugin filter module (included, built for
 Linux) as a painting application does, gives it a picture as the source
 layer and writes the comic-style effect lines it draws as PNG pictures.
 Includes a sample picture, a preset and a guide.")
  # libc, libstdc++ and libgcc versions from the binaries (dpkg-shlibdeps).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
