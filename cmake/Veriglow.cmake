# Shared build settings and helpers of the project.

set(VERIGLOW_WARNINGS -Wall -Wextra)

# A fuzz build instruments every library for coverage, not only the fuzz entry points: without it
# libFuzzer sees none of the parsers' branches.
if(VERIGLOW_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(VERIGLOW_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# veriglow_library(NAME <target> [SOURCES ...] [DEPS ...] [PRIVATE_DEPS ...])
# One static library per subsystem; an empty source list makes an INTERFACE target.
function(veriglow_library)
  cmake_parse_arguments(A "" "NAME" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  if(A_SOURCES)
    add_library(${A_NAME} STATIC ${A_SOURCES})
    target_include_directories(${A_NAME} PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(${A_NAME} PRIVATE ${VERIGLOW_WARNINGS})
    target_link_libraries(${A_NAME} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
  else()
    add_library(${A_NAME} INTERFACE)
    target_include_directories(${A_NAME} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${A_NAME} INTERFACE ${A_DEPS})
  endif()
  add_library(veriglow::${A_NAME} ALIAS ${A_NAME})
endfunction()

# veriglow_test(NAME <test> LABEL <subsystem> SOURCES ... [LIBS ...] [ENV ...] [ARGS ...])
# A GoogleTest binary registered with ctest under its subsystem's label; it runs with the
# source tree as working directory's anchor through VERIGLOW_SOURCE_DIR.
function(veriglow_test)
  cmake_parse_arguments(A "" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS;ENV;ARGS" ${ARGN})
  add_executable(${A_NAME} ${A_SOURCES})
  target_compile_options(${A_NAME} PRIVATE ${VERIGLOW_WARNINGS})
  target_compile_definitions(${A_NAME} PRIVATE
    VERIGLOW_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VERIGLOW_BINARY_DIR="${CMAKE_BINARY_DIR}")
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${A_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${A_NAME} COMMAND ${A_NAME} ${A_ARGS})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 600)
  endif()
  set_tests_properties(${A_NAME} PROPERTIES LABELS "${A_LABEL}" TIMEOUT ${A_TIMEOUT}
    ENVIRONMENT "${A_ENV}")
endfunction()

# veriglow_fuzz_target(NAME <name> LABEL <subsystem> SOURCE <file> LIBS ... CORPUS <dir> ...)
# The same LLVMFuzzerTestOneInput serves twice: as a libFuzzer binary when VERIGLOW_FUZZ is on,
# and always as a ctest that replays every file of the corpus folders (seeds and crashers).
function(veriglow_fuzz_target)
  cmake_parse_arguments(A "" "NAME;LABEL;SOURCE" "LIBS;CORPUS" ${ARGN})
  add_executable(replay_${A_NAME} ${A_SOURCE} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
  target_compile_options(replay_${A_NAME} PRIVATE ${VERIGLOW_WARNINGS})
  target_link_libraries(replay_${A_NAME} PRIVATE ${A_LIBS})
  set_target_properties(replay_${A_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(dirs)
  foreach(d IN LISTS A_CORPUS)
    list(APPEND dirs ${CMAKE_SOURCE_DIR}/${d})
  endforeach()
  add_test(NAME replay_${A_NAME} COMMAND replay_${A_NAME} ${dirs})
  set_tests_properties(replay_${A_NAME} PROPERTIES LABELS "${A_LABEL};fuzz" TIMEOUT 900)
  if(VERIGLOW_FUZZ)
    add_executable(fuzz_${A_NAME} ${A_SOURCE})
    target_compile_options(fuzz_${A_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${A_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(fuzz_${A_NAME} PRIVATE ${A_LIBS})
    set_target_properties(fuzz_${A_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  endif()
endfunction()

# veriglow_benchmark(NAME <name> SOURCES ... LIBS ...)
function(veriglow_benchmark)
  cmake_parse_arguments(A "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${A_NAME} ${A_SOURCES})
  target_compile_options(${A_NAME} PRIVATE ${VERIGLOW_WARNINGS})
  target_compile_definitions(${A_NAME} PRIVATE
    VERIGLOW_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VERIGLOW_BINARY_DIR="${CMAKE_BINARY_DIR}")
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS} benchmark::benchmark)
  set_target_properties(${A_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# Adds every immediate subfolder of the current source folder that holds a CMakeLists.txt.
macro(veriglow_add_subfolders)
  file(GLOB _vg_children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _vg_children)
  foreach(_vg_child IN LISTS _vg_children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${_vg_child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_vg_child}/CMakeLists.txt)
      add_subdirectory(${_vg_child})
    endif()
  endforeach()
endmacro()
