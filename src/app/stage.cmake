# Copies what ships beside the executable from data/ into the staged program folder:
# key/, ktp/, system/ and kotopa.chm, whichever of them exist. save/ is never touched.
#   cmake -DSRC=<data folder> -DDST=<program folder> -P stage.cmake
foreach(dir key ktp system)
  if(IS_DIRECTORY "${SRC}/${dir}")
    file(COPY "${SRC}/${dir}" DESTINATION "${DST}")
  endif()
endforeach()
if(EXISTS "${SRC}/kotopa.chm")
  file(COPY "${SRC}/kotopa.chm" DESTINATION "${DST}")
endif()
