# Copies what ships beside the executable into the staged program folder: key/, ktp/,
# system/ and kotopa.chm from data/, whichever of them exist, and the help pages (HTML with
# their pictures) from HELP into help/. save/ is never touched.
#   cmake -DSRC=<data folder> -DHELP=<help pages> -DDST=<program folder> -P stage.cmake
foreach(dir key ktp system)
  if(IS_DIRECTORY "${SRC}/${dir}")
    file(COPY "${SRC}/${dir}" DESTINATION "${DST}")
  endif()
endforeach()
if(EXISTS "${SRC}/kotopa.chm")
  file(COPY "${SRC}/kotopa.chm" DESTINATION "${DST}")
endif()
if(IS_DIRECTORY "${HELP}")
  file(REMOVE_RECURSE "${DST}/help")
  file(GLOB pages "${HELP}/*.html" "${HELP}/*.css" "${HELP}/*.png")
  file(COPY ${pages} DESTINATION "${DST}/help")
endif()
