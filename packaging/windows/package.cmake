# Packs the staged Windows program into a zip archive with one folder, KotoPA/.
#   cmake -DSTAGE=<staged program> -DTOOL=<kotopa-tool.exe> -DREADME=<README.txt>
#         -DWORK=<scratch folder> -DOUT=<archive.zip> -P package.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/KotoPA")
# What a run of the staged program left behind (save/) is not shipped.
file(COPY "${STAGE}/" DESTINATION "${WORK}/KotoPA" PATTERN save EXCLUDE)
file(COPY "${TOOL}" "${README}" DESTINATION "${WORK}/KotoPA")
set(required kotopa.exe kotopa-tool.exe README.txt key/mykey.key ktp/Act01.ktp)
if(DICTIONARY)  # the program makes Acts with MeCab
  list(APPEND required dic/ipadic-utf8/dicrc dic/ipadic-utf8/sys.dic dic/ipadic-utf8/COPYING
       dic/ipadic-utf8/MECAB-COPYING)
endif()
foreach(needed IN LISTS required)
  if(NOT EXISTS "${WORK}/KotoPA/${needed}")
    message(FATAL_ERROR "the package would lack ${needed}")
  endif()
endforeach()
file(REMOVE "${OUT}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${OUT}" --format=zip KotoPA
                WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not write ${OUT}")
endif()
file(REMOVE_RECURSE "${WORK}")
