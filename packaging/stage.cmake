# Run by CPack after it installed the project into its staging folder, before
# it packs: turns the install layout into the package layout, signs the
# Windows executables when asked, and fixes the time of every entry.
#
#   medium/      <- share/pellomar/medium/ (exactly what goes on a medium)
#   tools/       <- the checker and its manual (CPACK_PELLOMAR_TOOLS)
#   LICENSE      <- share/doc/pellomar/LICENSE
#   README.txt   <- what to copy where
# Everything else that was installed stays out of the package.
#
# Signing (scripts/package --sign) is asked for through the environment:
#   PELLOMAR_SIGN_CERT           a PKCS#12 file with the certificate and key
#   PELLOMAR_SIGN_PASSWORD_FILE  a file holding its password (optional)
#   PELLOMAR_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional)
# Without a time-stamp server the signing time is the package time, so a
# signed package is as reproducible as an unsigned one.
set(root ${CPACK_TEMPORARY_DIRECTORY})

# The time of every entry: SOURCE_DATE_EPOCH when given, else the time of
# the source's last commit, else the release's own date. CPack reads the
# variable from the environment when it writes the archive.
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  execute_process(
    COMMAND git -C ${CPACK_PELLOMAR_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    set(epoch ${CPACK_PELLOMAR_RELEASE_EPOCH})
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()

set(staged ${root}.install)
file(REMOVE_RECURSE ${staged})
file(RENAME ${root} ${staged})
file(MAKE_DIRECTORY ${root})
file(RENAME ${staged}/${CPACK_PELLOMAR_MEDIUM_DIR} ${root}/medium)
file(MAKE_DIRECTORY ${root}/tools)
foreach(tool IN LISTS CPACK_PELLOMAR_TOOLS)
  get_filename_component(name ${tool} NAME)
  file(RENAME ${staged}/${tool} ${root}/tools/${name})
endforeach()
file(RENAME ${staged}/${CPACK_PELLOMAR_LICENSE} ${root}/LICENSE)
file(COPY_FILE ${CPACK_PELLOMAR_README} ${root}/README.txt)
file(REMOVE_RECURSE ${staged})

if(NOT "$ENV{PELLOMAR_SIGN_CERT}" STREQUAL "" AND CPACK_PELLOMAR_SIGN)
  find_program(OSSLSIGNCODE osslsigncode)
  if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "osslsigncode not found: cannot sign")
  endif()
  set(options -pkcs12 $ENV{PELLOMAR_SIGN_CERT} -h sha256
              -n "Pellomar start-up launcher")
  if(NOT "$ENV{PELLOMAR_SIGN_PASSWORD_FILE}" STREQUAL "")
    list(APPEND options -readpass $ENV{PELLOMAR_SIGN_PASSWORD_FILE})
  endif()
  if(NOT "$ENV{PELLOMAR_SIGN_TIMESTAMP_URL}" STREQUAL "")
    list(APPEND options -ts $ENV{PELLOMAR_SIGN_TIMESTAMP_URL})
  else()
    list(APPEND options -time $ENV{SOURCE_DATE_EPOCH})
  endif()
  foreach(exe IN LISTS CPACK_PELLOMAR_SIGN)
    execute_process(
      COMMAND ${OSSLSIGNCODE} sign ${options}
              -in ${root}/${exe} -out ${root}/${exe}.signed
      OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "signing ${exe} failed:\n${output}")
    endif()
    file(RENAME ${root}/${exe}.signed ${root}/${exe})
    file(CHMOD ${root}/${exe} FILE_PERMISSIONS OWNER_READ OWNER_WRITE
         OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    message(STATUS "signed ${exe}")
  endforeach()
endif()
