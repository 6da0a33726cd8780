# Builds the Windows installer from the staged program with makensis (kotopa.nsi): the file
# lists it installs and removes are written from the staged folder, so the uninstaller
# removes exactly what the installer put there.
#   cmake -DMAKENSIS=<makensis> -DSTAGE=<staged program> -DTOOL=<kotopa-tool.exe>
#         -DREADME=<README.txt> -DICON=<kotopa.ico> -DVERSION=<x.y> -DWORK=<scratch folder>
#         -DOUT=<setup.exe> -P installer.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/KotoPA")
# What a run of the staged program left behind (save/) is not installed.
file(COPY "${STAGE}/" DESTINATION "${WORK}/KotoPA" PATTERN save EXCLUDE)
file(COPY "${TOOL}" "${README}" DESTINATION "${WORK}/KotoPA")
set(required kotopa.exe kotopa-tool.exe README.txt key/mykey.key ktp/Act01.ktp kotopa.chm)
if(DICTIONARY)  # the program makes Acts with MeCab
  list(APPEND required dic/ipadic-utf8/dicrc dic/ipadic-utf8/sys.dic dic/ipadic-utf8/COPYING
       dic/ipadic-utf8/MECAB-COPYING)
endif()
foreach(needed IN LISTS required)
  if(NOT EXISTS "${WORK}/KotoPA/${needed}")
    message(FATAL_ERROR "the installer would lack ${needed}")
  endif()
endforeach()

file(GLOB_RECURSE files RELATIVE "${WORK}/KotoPA" "${WORK}/KotoPA/*")
list(SORT files)
set(install "")
set(remove "")
set(folders "")
foreach(f IN LISTS files)
  string(REPLACE "/" "\\" win "${f}")
  get_filename_component(dir "${f}" DIRECTORY)
  string(REPLACE "/" "\\" windir "${dir}")
  string(APPEND install "SetOutPath \"$INSTDIR\\${windir}\"\nFile \"${WORK}/KotoPA/${f}\"\n")
  string(APPEND remove "Delete \"$INSTDIR\\${win}\"\n")
  while(NOT dir STREQUAL "")
    list(APPEND folders "${dir}")
    get_filename_component(dir "${dir}" DIRECTORY)
  endwhile()
endforeach()
string(APPEND install "SetOutPath \"$INSTDIR\"\n")
list(REMOVE_DUPLICATES folders)
# The deepest folders first, each removed only when it is empty.
list(SORT folders)
list(REVERSE folders)
foreach(d IN LISTS folders)
  string(REPLACE "/" "\\" win "${d}")
  string(APPEND remove "RMDir \"$INSTDIR\\${win}\"\n")
endforeach()
file(WRITE "${WORK}/files.nsh" "${install}")
file(WRITE "${WORK}/unfiles.nsh" "${remove}")

string(REPLACE "." ";" parts "${VERSION}")
list(LENGTH parts count)
while(count LESS 4)
  list(APPEND parts 0)
  list(LENGTH parts count)
endwhile()
string(REPLACE ";" "." version4 "${parts}")
execute_process(
  COMMAND "${MAKENSIS}" -V2 -DVERSION=${VERSION} -DVERSION4=${version4} -DICON=${ICON}
          -DFILES=${WORK}/files.nsh -DUNFILES=${WORK}/unfiles.nsh -DOUTFILE=${OUT}
          ${CMAKE_CURRENT_LIST_DIR}/kotopa.nsi
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "makensis could not build ${OUT}:\n${out}")
endif()
file(REMOVE_RECURSE "${WORK}")
