# Puts MeCab's compiled dictionary (the files MeCab reads when it analyses) into a folder:
#   cmake -DFROM=<dictionary> -DTO=<folder> -P dictionary.cmake
foreach(f dicrc sys.dic unk.dic matrix.bin char.bin)
  if(NOT EXISTS "${FROM}/${f}")
    message(FATAL_ERROR "the dictionary in ${FROM} lacks ${f} (scripts/build-mecab-mingw.sh)")
  endif()
endforeach()
file(MAKE_DIRECTORY "${TO}")
foreach(f dicrc sys.dic unk.dic matrix.bin char.bin)
  file(REMOVE "${TO}/${f}")
  file(CREATE_LINK "${FROM}/${f}" "${TO}/${f}" COPY_ON_ERROR)
endforeach()
