# The shipped kotopa.chm is what scripts/help-chm.cmake makes of the help pages today: a fresh
# build may differ from it only in the two build times the file carries (in its header and in
# its #SYSTEM record), four bytes each. Run with -DRECIPE (scripts/help-chm.cmake), -DCHMCMD, -DICONV,
# -DPAGES (data-src/help), -DSHIPPED and -DWORK.
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${CMAKE_COMMAND}" -DCHMCMD=${CHMCMD} -DICONV=${ICONV} -DPAGES=${PAGES}
                -DWORK=${WORK}/pages -DOUT=${WORK}/kotopa.chm -P ${RECIPE}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT EXISTS "${WORK}/kotopa.chm")
  message(FATAL_ERROR "the help file could not be built:\n${out}")
endif()
file(SIZE "${SHIPPED}" shipped_size)
file(SIZE "${WORK}/kotopa.chm" fresh_size)
if(NOT shipped_size EQUAL fresh_size)
  message(FATAL_ERROR "data/kotopa.chm (${shipped_size} bytes) is not a build of the pages "
                      "(${fresh_size} bytes): run scripts/build-help.sh")
endif()
execute_process(COMMAND cmp -l "${SHIPPED}" "${WORK}/kotopa.chm" OUTPUT_VARIABLE diff)
string(REGEX MATCHALL "[0-9]+ +[0-7]+ +[0-7]+" lines "${diff}")
# Each differing byte must fall in one of at most two 4-byte windows (the two build times);
# the bytes of a time that changed need not be next to each other (a carry may skip one).
set(windows 0)
set(window_end -1)
foreach(line IN LISTS lines)
  string(REGEX MATCH "^[0-9]+" offset "${line}")
  if(offset GREATER window_end)
    math(EXPR windows "${windows} + 1")
    math(EXPR window_end "${offset} + 3")
  endif()
  if(windows GREATER 2)
    message(FATAL_ERROR "data/kotopa.chm differs from a build of the pages at byte ${offset}: "
                        "run scripts/build-help.sh")
  endif()
endforeach()
