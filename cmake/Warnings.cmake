# Every target of ours builds with the same warnings. They are errors where
# the code is developed and checked (scripts/test.sh, CI), not for whoever
# packages a release with a newer compiler.
option(TARVIMONDA_WERROR "Treat build warnings as errors" OFF)

function(tarvimonda_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<BOOL:${TARVIMONDA_WERROR}>:-Werror>)
endfunction()
