# Writes the version source from app/version.cpp.in: the project's version and the git
# description of the source tree when it is a git checkout. Run at every build; the
# file is rewritten only when its text changes, so nothing recompiles otherwise.
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -DDRAVIK_VERSION=... -P version.cmake
set(DRAVIK_GIT_DESCRIPTION "")
find_program(GIT_PROGRAM git)
if(GIT_PROGRAM AND EXISTS "${SOURCE_DIR}/.git")
  # Reading only: no refresh of the index that another git command may hold.
  set(ENV{GIT_OPTIONAL_LOCKS} 0)
  execute_process(
    COMMAND "${GIT_PROGRAM}" describe --always --dirty --tags
    WORKING_DIRECTORY "${SOURCE_DIR}"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE description
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET)
  if(result EQUAL 0 AND description MATCHES "^[A-Za-z0-9._+-]+$")
    set(DRAVIK_GIT_DESCRIPTION "${description}")
  endif()
endif()
configure_file("${SOURCE_DIR}/app/version.cpp.in" "${OUTPUT}" @ONLY)
