# Linux programs for every distribution with glibc 2.31 or later (Debian 11,
# Ubuntu 20.04, RHEL 9 and newer): compiled and linked by Debian 11's own g++
# inside the root that scripts/old-glibc-root makes once per machine (root
# is needed). Everything else (CMake, the archiver, strip) is this machine's.
set(CMAKE_CXX_COMPILER ${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/old-glibc-g++)
# The compiler's own dependency lists name the root's system headers, which
# this machine does not have (every build would start afresh): CMake scans
# the project's sources itself.
set(CMAKE_DEPENDS_USE_COMPILER FALSE)
