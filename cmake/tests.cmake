# Every test of a build tree is a CTest test, run through
# scripts/lib/run_test.sh from the source folder (where the runners find
# tests/, examples/ and artifacts/). Labels pick a set:
#   unit  fast, no display (`ctest --preset native -L unit`, seconds)
#   e2e   whole programs end to end on a private X display
#   wine  Windows programs under Wine (display and Wine prefix)
#   fuzz  libFuzzer targets (the fuzz tree)
#   slow  builds of their own: budgets, packages, the reproducible release
# Tests on a display take turns (one RESOURCE_LOCK): boxes are found and
# answered by what shows on screen.

set(PELLOMAR_TEST_RUNNER ${PROJECT_SOURCE_DIR}/scripts/lib/run_test.sh)
# What run_test.sh exits with for a test that cannot run here.
set(PELLOMAR_TEST_SKIPPED 77)

# The fixture tests that start and stop this tree's desktop: Xvfb, and with
# WINE a fresh Wine prefix. Runners ask for it with DISPLAY or WINE. NAME
# makes a second desktop of the tree (NAME-desktop-start and -stop, in
# NAME-desktop/), for a long runner that then runs beside the others
# (DESKTOP NAME): runners on one desktop take turns, and each desktop is a
# prefix of its own, as the runs change its registry and system folder.
# KEEPER, a Windows program, keeps Wine's desktop process up meanwhile
# (start_wine in scripts/lib/desktop.sh).
function(pellomar_add_desktop_fixture)
  cmake_parse_arguments(PARSE_ARGV 0 arg "WINE" "NAME;KEEPER" "")
  set(fixture_script ${PROJECT_SOURCE_DIR}/scripts/lib/desktop_fixture.sh)
  set(fixture desktop)
  if(arg_NAME)
    set(fixture ${arg_NAME}-desktop)
  endif()
  set(wine_option)
  set(labels e2e)
  if(arg_WINE)
    set(wine_option --wine ${arg_KEEPER})
    set(labels wine)
  endif()
  add_test(NAME ${fixture}-start
    COMMAND bash ${fixture_script} start ${PROJECT_BINARY_DIR}/${fixture} ${wine_option})
  add_test(NAME ${fixture}-stop
    COMMAND bash ${fixture_script} stop ${PROJECT_BINARY_DIR}/${fixture})
  set_tests_properties(${fixture}-start PROPERTIES FIXTURES_SETUP ${fixture}
    LABELS ${labels} TIMEOUT 300)
  set_tests_properties(${fixture}-stop PROPERTIES FIXTURES_CLEANUP ${fixture}
    LABELS ${labels} TIMEOUT 60)
endfunction()

# pellomar_add_runner(NAME LABELS label... [DISPLAY] [WINE] [NEEDS_32_BIT]
#                     [SKIPS_ITSELF] [TIMEOUT seconds] [DESKTOP name]
#                     COMMAND program args...)
# DISPLAY: runs on this tree's display (pellomar_add_desktop_fixture); its
#   state (desktop.env, logs, the prefix) is in desktop/ of the tree.
# DESKTOP: on the tree's second desktop of that NAME, not the first.
# WINE: runs Windows programs under Wine on it; in a 32-bit tree that also
#   means NEEDS_32_BIT.
# NEEDS_32_BIT: where Wine here runs no 32-bit programs, the test is skipped
#   (tallied with NAME and the reason; CTest counts it skipped).
# SKIPS_ITSELF: the runner tallies each run it cannot make here as skipped
#   (suite.py), so it runs anyway there; CTest still counts it skipped.
function(pellomar_add_runner name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "DISPLAY;WINE;NEEDS_32_BIT;SKIPS_ITSELF"
                        "TIMEOUT;DESKTOP" "LABELS;COMMAND")
  if(NOT arg_COMMAND OR NOT arg_LABELS)
    message(FATAL_ERROR "pellomar_add_runner(${name}): LABELS and COMMAND are needed")
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 600)
  endif()
  set(options)
  if(arg_WINE AND WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(arg_NEEDS_32_BIT ON)
  endif()
  if(arg_NEEDS_32_BIT)
    list(APPEND options --needs-32-bit ${name})
    if(arg_SKIPS_ITSELF)
      list(APPEND options --skips-itself)
    endif()
  endif()
  set(fixture desktop)
  if(arg_DESKTOP)
    set(fixture ${arg_DESKTOP}-desktop)
  endif()
  if(arg_DISPLAY OR arg_WINE)
    list(APPEND options --desktop ${PROJECT_BINARY_DIR}/${fixture})
  endif()
  add_test(NAME ${name}
    COMMAND bash ${PELLOMAR_TEST_RUNNER} ${options} -- ${arg_COMMAND}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(${name} PROPERTIES LABELS "${arg_LABELS}"
    TIMEOUT ${arg_TIMEOUT} SKIP_RETURN_CODE ${PELLOMAR_TEST_SKIPPED})
  if(arg_DISPLAY OR arg_WINE)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${fixture}
      RESOURCE_LOCK ${fixture})
  endif()
endfunction()
