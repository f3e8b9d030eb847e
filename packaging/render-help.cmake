# Renders a manual page as plain text for Windows, where there is no man:
#   cmake -DGROFF=groff -DPAGE=man/pellomar.5 -DTEXT=pellomar.txt -P render-help.cmake
# One continuous page, no overstriking, single blank lines, Windows line
# ends.
execute_process(
  COMMAND ${GROFF} -man -rcR=1 -Tascii -P-cbou ${PAGE}
  OUTPUT_VARIABLE text RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${GROFF} could not render ${PAGE}")
endif()
string(REGEX REPLACE "\n\n\n+" "\n\n" text "${text}")
string(REGEX REPLACE "\n+$" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${TEXT} "${text}")
