# Run by CPack after it wrote the packages: makes each archive depend on
# nothing but its files. CPack already takes every entry's time from
# SOURCE_DATE_EPOCH (packaging/stage.cmake sets it), but it adds the entries
# in the order the file system lists them and records the builder's owner
# and permissions. So:
#   .zip     strip-nondeterminism sorts the entries and fixes their times,
#            permissions and extra fields;
#   .tar.gz  GNU tar packs the staging folder again with sorted names, owner
#            root, permissions from the owner's, and gzip writes no name or
#            time.
set(epoch $ENV{SOURCE_DATE_EPOCH})
get_filename_component(staging_parent ${CPACK_TEMPORARY_DIRECTORY} DIRECTORY)
get_filename_component(top ${CPACK_TEMPORARY_DIRECTORY} NAME)

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.zip$")
    find_program(STRIP_NONDETERMINISM strip-nondeterminism)
    if(NOT STRIP_NONDETERMINISM)
      message(WARNING "strip-nondeterminism not found: ${package} is not reproducible")
      continue()
    endif()
    # ZIP keeps local times: the same for every builder.
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
              ${STRIP_NONDETERMINISM} --type zip --timestamp ${epoch} ${package}
      RESULT_VARIABLE failed)
  elseif(package MATCHES "\\.tar\\.gz$")
    find_program(TAR NAMES gtar tar)
    find_program(GZIP gzip)
    execute_process(COMMAND ${TAR} --version OUTPUT_VARIABLE version
                    ERROR_QUIET)
    if(NOT version MATCHES "GNU tar" OR NOT GZIP)
      message(WARNING "GNU tar or gzip not found: ${package} is not reproducible")
      continue()
    endif()
    execute_process(
      COMMAND ${TAR} --sort=name --format=ustar --mtime=@${epoch}
              --owner=0 --group=0 --numeric-owner --mode=go=u,go-w
              -C ${staging_parent} -cf - ${top}
      COMMAND ${GZIP} -9 -n
      OUTPUT_FILE ${package}.normal RESULTS_VARIABLE results)
    set(failed ON)
    if(results STREQUAL "0;0")
      set(failed OFF)
      file(RENAME ${package}.normal ${package})
    endif()
  else()
    continue()
  endif()
  if(failed)
    message(FATAL_ERROR "could not make ${package} reproducible")
  endif()
endforeach()
