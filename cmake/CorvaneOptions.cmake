# Compiler settings shared by every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic)
if(CORVANE_WERROR)
  add_compile_options(-Werror)
endif()
if(CORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
if(CORVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "CORVANE_FUZZ needs clang")
  endif()
  # Coverage feedback for the fuzzers has to reach the project's libraries too.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Adds every listed sub-folder of the current folder that has a CMakeLists.txt,
# in the order given (lower layers first), so that folders join the build as
# they come into being.
function(corvane_add_existing_subdirectories)
  foreach(sub IN LISTS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/CMakeLists.txt)
      add_subdirectory(${sub})
    endif()
  endforeach()
endfunction()

# Adds every sub-folder that has a CMakeLists.txt, in name order (tools,
# fuzzers and benchmarks, which do not depend on each other).
function(corvane_add_all_subdirectories)
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
