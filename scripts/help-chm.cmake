# Compiles the help pages into a CHM file, the one recipe for the shipped kotopa.chm and for
# the test that checks it. HTML Help reads a Japanese help file's project, contents and index
# in code page 932 whatever they declare, so those three go to chmcmd as Shift_JIS (their
# sources are UTF-8); the pages stay UTF-8 and say so in their charset.
#   cmake -DCHMCMD=<chmcmd> -DICONV=<iconv> -DPAGES=<data-src/help> -DWORK=<scratch folder>
#         -DOUT=<kotopa.chm> -P help-chm.cmake
foreach(needed CHMCMD ICONV PAGES WORK OUT)
  if(NOT DEFINED ${needed})
    message(FATAL_ERROR "help-chm.cmake needs -D${needed}")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(GLOB pages "${PAGES}/*.html" "${PAGES}/*.png" "${PAGES}/*.css")
file(COPY ${pages} DESTINATION "${WORK}")
foreach(name kotopa.hhp kotopa.hhc kotopa.hhk)
  file(READ "${PAGES}/${name}" text)
  string(REPLACE "<meta charset=\"utf-8\">"
                 "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
                 text "${text}")
  file(WRITE "${WORK}/${name}.utf8" "${text}")
  execute_process(COMMAND "${ICONV}" -f UTF-8 -t CP932 "${WORK}/${name}.utf8"
                  OUTPUT_FILE "${WORK}/${name}" RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${PAGES}/${name} has text Shift_JIS cannot hold: ${err}")
  endif()
  file(REMOVE "${WORK}/${name}.utf8")
endforeach()
execute_process(COMMAND "${CHMCMD}" kotopa.hhp WORKING_DIRECTORY "${WORK}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT EXISTS "${WORK}/kotopa.chm")
  message(FATAL_ERROR "chmcmd could not build the help file:\n${out}")
endif()
file(COPY_FILE "${WORK}/kotopa.chm" "${OUT}")
file(REMOVE_RECURSE "${WORK}")
