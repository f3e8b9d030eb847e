# Install rules and release packages, from one set of rules.
#
# `cmake --install` lays the files out as on any Unix system (GNUInstallDirs):
#   bin/pellomar-check                 the folder checker      (component tools)
#   share/pellomar/medium/             what goes on a medium   (component medium)
#   share/man/man1, man5               pellomar-check(1), pellomar(5)   (tools)
#   share/doc/pellomar/                LICENSE (both), README.md, docs/, examples/
#                                      (tools)
# A Windows build installs the same, with .exe programs and the manual pages
# as text (share/doc/pellomar/*.txt).
#
# CPack (scripts/package, the package presets) installs the same rules into
# its staging folder, and packaging/stage.cmake then moves the files into the
# package layout: medium/ (copied as it is onto a CD or stick), tools/,
# LICENSE and README.txt. packaging/normalize.cmake makes the archives
# reproducible afterwards.
include(GNUInstallDirs)

set(PELLOMAR_MEDIUM_DIR ${CMAKE_INSTALL_DATADIR}/pellomar/medium)
set(PELLOMAR_MAN_PAGES man/pellomar-check.1 man/pellomar.5)
# When no SOURCE_DATE_EPOCH is given and the source is no git checkout, the
# files in the packages carry this time (2026-01-01 00:00 UTC).
set(PELLOMAR_RELEASE_EPOCH 1767225600)

if(WIN32)
  set(launcher pellomar.exe)
  set(checker pellomar-check.exe)
  install(TARGETS pellomar RUNTIME DESTINATION ${PELLOMAR_MEDIUM_DIR}
          COMPONENT medium)
  install(FILES examples/pellomar.ini examples/pellomar.dat
                examples/autorun.inf examples/setup.bat
          DESTINATION ${PELLOMAR_MEDIUM_DIR} COMPONENT medium)
  set(medium_listing "autorun.inf: makes Windows offer the launcher when the medium is a CD or DVD;\n- setup.bat: a placeholder for your setup program")
  # The README's check, for this package's own medium.
  set(check_target windows)
  set(other_system Linux)
  set(other_launcher "the Linux launcher as autorun")

  # Windows has no manual pages: the same pages as text, if groff is there.
  find_program(PELLOMAR_GROFF groff)
  set(help_files)
  if(PELLOMAR_GROFF)
    foreach(page IN LISTS PELLOMAR_MAN_PAGES)
      get_filename_component(name ${page} NAME_WE)
      set(text ${CMAKE_CURRENT_BINARY_DIR}/help/${name}.txt)
      add_custom_command(OUTPUT ${text}
        COMMAND ${CMAKE_COMMAND} -DGROFF=${PELLOMAR_GROFF}
                -DPAGE=${CMAKE_CURRENT_SOURCE_DIR}/${page} -DTEXT=${text}
                -P ${CMAKE_CURRENT_SOURCE_DIR}/packaging/render-help.cmake
        DEPENDS ${page} packaging/render-help.cmake VERBATIM)
      list(APPEND help_files ${text})
    endforeach()
  else()
    message(WARNING "groff not found: the packages get no text help")
  endif()
  add_custom_target(pellomar-help ALL DEPENDS ${help_files})
  install(FILES ${help_files} DESTINATION ${CMAKE_INSTALL_DOCDIR}
          COMPONENT tools)
  set(tools ${CMAKE_INSTALL_BINDIR}/${checker})
  foreach(text IN LISTS help_files)
    get_filename_component(name ${text} NAME)
    list(APPEND tools ${CMAKE_INSTALL_DOCDIR}/${name})
  endforeach()
  set(help_listing "pellomar-check.txt: its manual;\n- pellomar.txt: the launcher's files and every key")
  set(sign medium/${launcher} tools/${checker})
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
else()
  set(launcher autorun)
  set(checker pellomar-check)
  # The launcher is what desktops offer to run from a medium: `autorun`,
  # stripped even in a plain install (a medium carries no debug information).
  install(PROGRAMS $<TARGET_FILE:pellomar> DESTINATION ${PELLOMAR_MEDIUM_DIR}
          RENAME autorun COMPONENT medium)
  if(CMAKE_STRIP)
    install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${PELLOMAR_MEDIUM_DIR}/autorun\")"
            COMPONENT medium)
  endif()
  # autorun.sh starts it where it cannot start by itself (no execute bits,
  # a noexec mount). The sample settings name the demo's setup script in
  # [Auto.Linux].
  install(PROGRAMS examples/autorun.sh DESTINATION ${PELLOMAR_MEDIUM_DIR}
          COMPONENT medium)
  install(FILES examples/pellomar.dat examples/pellomar.ini
          DESTINATION ${PELLOMAR_MEDIUM_DIR} COMPONENT medium)
  install(PROGRAMS examples/demo/setup.sh examples/demo/sample-app.sh
          DESTINATION ${PELLOMAR_MEDIUM_DIR}/demo COMPONENT medium)
  set(medium_listing "autorun.sh: starts the launcher on media without execute bits (FAT sticks, Joliet discs) and media mounted noexec;\n- demo/: a placeholder setup script and application")
  set(check_target linux)
  set(other_system Windows)
  set(other_launcher pellomar.exe)
  set(tools ${CMAKE_INSTALL_BINDIR}/${checker})
  foreach(page IN LISTS PELLOMAR_MAN_PAGES)
    get_filename_component(name ${page} NAME)
    string(REGEX REPLACE ".*[.]" "" section ${name})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section}
            COMPONENT tools)
    list(APPEND tools ${CMAKE_INSTALL_MANDIR}/man${section}/${name})
  endforeach()
  set(help_listing "pellomar-check.1: its manual page (man -l tools/pellomar-check.1);\n- pellomar.5: the launcher's files and every key (man -l tools/pellomar.5)")
  set(sign)
  set(CPACK_GENERATOR TGZ)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
  # The checker is built with debug information. (The Windows executables
  # are linked stripped: stripping them again would only rewrite them.)
  set(CPACK_STRIP_FILES ON)
endif()

install(TARGETS pellomar-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT tools)
# The licence goes with either component: each is a copy of the software.
foreach(component medium tools)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR}
          COMPONENT ${component})
endforeach()
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT tools)
# The documents that README.md links to, beside it as in the source.
file(GLOB PELLOMAR_DOCS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/docs/*.md)
install(FILES ${PELLOMAR_DOCS} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs
        COMPONENT tools)
install(FILES examples/sampleapp.ini
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples COMPONENT tools)

set(CPACK_PACKAGE_NAME pellomar)
set(CPACK_PACKAGE_VENDOR "The Pellomar developers")
set(CPACK_PACKAGE_VERSION ${PELLOMAR_DISPLAY_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Start-up launcher for desktop applications")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)

# The README at the top of a package: what to copy where.
configure_file(packaging/README.txt.in package/README.txt @ONLY)
if(WIN32)
  file(READ ${CMAKE_CURRENT_BINARY_DIR}/package/README.txt readme)
  string(REPLACE "\n" "\r\n" readme "${readme}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/package/README.txt "${readme}")
endif()

# What packaging/stage.cmake and packaging/normalize.cmake need to know.
set(CPACK_PELLOMAR_MEDIUM_DIR ${PELLOMAR_MEDIUM_DIR})
set(CPACK_PELLOMAR_TOOLS ${tools})
set(CPACK_PELLOMAR_LICENSE ${CMAKE_INSTALL_DOCDIR}/LICENSE)
set(CPACK_PELLOMAR_README ${CMAKE_CURRENT_BINARY_DIR}/package/README.txt)
set(CPACK_PELLOMAR_SIGN ${sign})
set(CPACK_PELLOMAR_SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
set(CPACK_PELLOMAR_RELEASE_EPOCH ${PELLOMAR_RELEASE_EPOCH})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/stage.cmake)
set(CPACK_POST_BUILD_SCRIPTS
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/normalize.cmake)
include(CPack)

cpack_add_component(medium DISPLAY_NAME "Medium"
  DESCRIPTION "The launcher and the sample files of a medium")
cpack_add_component(tools DISPLAY_NAME "Tools"
  DESCRIPTION "The folder checker and its manual")
