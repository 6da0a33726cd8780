# Puts MeCab's compiled dictionary (the files MeCab reads when it analyses, and the licences
# of the dictionary and of MeCab that go with every copy) into a folder:
#   cmake -DFROM=<dictionary> -DTO=<folder> -P dictionary.cmake
foreach(f dicrc sys.dic unk.dic matrix.bin char.bin COPYING MECAB-COPYING)
  if(NOT EXISTS "${FROM}/${f}")
    message(FATAL_ERROR "the dictionary in ${FROM} lacks ${f} (scripts/build-mecab-mingw.sh)")
  endif()
endforeach()
file(MAKE_DIRECTORY "${TO}")
foreach(f dicrc sys.dic unk.dic matrix.bin char.bin COPYING MECAB-COPYING)
  file(REMOVE "${TO}/${f}")
  file(CREATE_LINK "${FROM}/${f}" "${TO}/${f}" COPY_ON_ERROR)
endforeach()
