# The shipped kotopa.chm is what tools/help-chm.cmake makes of the help pages today: a fresh
# build may differ from it only in the two build times the file carries (in its header and in
# its #SYSTEM record), four bytes each. Run with -DRECIPE (tools/help-chm.cmake), -DCHMCMD, -DICONV,
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
                      "(${fresh_size} bytes): run tools/build-help.sh")
endif()
execute_process(COMMAND cmp -l "${SHIPPED}" "${WORK}/kotopa.chm" OUTPUT_VARIABLE diff)
string(REGEX MATCHALL "[0-9]+ +[0-7]+ +[0-7]+" lines "${diff}")
set(runs 0)
set(run_length 0)
set(last -2)
foreach(line IN LISTS lines)
  string(REGEX MATCH "^[0-9]+" offset "${line}")
  math(EXPR next "${last} + 1")
  if(offset EQUAL next)
    math(EXPR run_length "${run_length} + 1")
  else()
    math(EXPR runs "${runs} + 1")
    set(run_length 1)
  endif()
  if(run_length GREATER 4 OR runs GREATER 2)
    message(FATAL_ERROR "data/kotopa.chm differs from a build of the pages at byte ${offset}: "
                        "run tools/build-help.sh")
  endif()
  set(last ${offset})
endforeach()
