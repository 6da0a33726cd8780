# Fails when a C++ source of the tree is not as clang-format (.clang-format at the root)
# would write it. Run by CTest: cmake -DCLANG_FORMAT=... -DROOT=... -P format.cmake
# Generated sources (messages.inc, the uic headers in the build tree) are not looked at.
set(patterns)
foreach(dir src tools tests bench fuzz)
  foreach(ext cpp h)
    list(APPEND patterns ${ROOT}/${dir}/*.${ext})
  endforeach()
endforeach()
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${ROOT} ${patterns})
list(SORT files)
list(LENGTH files count)
if(count EQUAL 0)
  message(FATAL_ERROR "no C++ sources found under ${ROOT}")
endif()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${files}
                WORKING_DIRECTORY ${ROOT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "clang-format would change the files named above; "
                      "run clang-format -i on them")
endif()
message(STATUS "${count} C++ sources as clang-format writes them")
