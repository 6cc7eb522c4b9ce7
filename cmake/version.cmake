# Run at every build (cmake -P): writes the version source with the git
# commit of the source tree. configure_file leaves the output untouched when
# nothing changed, so a build without a new commit recompiles nothing.
#   -DSOURCE_DIR=... -DTEMPLATE=... -DOUTPUT=... -DZELO_VERSION=...
set(ZELO_COMMIT "")
find_program(GIT_PROGRAM git)
if(GIT_PROGRAM)
  # Only the tree's own repository counts, not one the tree happens to lie in.
  execute_process(COMMAND ${GIT_PROGRAM} -C ${SOURCE_DIR} rev-parse --show-toplevel
                  OUTPUT_VARIABLE _top OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE _top_status ERROR_QUIET)
  if(_top_status EQUAL 0)
    file(REAL_PATH "${_top}" _top)
    file(REAL_PATH "${SOURCE_DIR}" _src)
  endif()
  if(_top_status EQUAL 0 AND _top STREQUAL _src)
    execute_process(COMMAND ${GIT_PROGRAM} -C ${SOURCE_DIR} rev-parse --short=12 HEAD
                    OUTPUT_VARIABLE ZELO_COMMIT OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${GIT_PROGRAM} -C ${SOURCE_DIR} status --porcelain --untracked-files=no
                    OUTPUT_VARIABLE _changes ERROR_QUIET)
    if(ZELO_COMMIT AND _changes)
      string(APPEND ZELO_COMMIT "-modified")
    endif()
  endif()
endif()
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
