# Shared helpers for tests, benchmarks and fuzzers. Each folder under tests/,
# bench/ and fuzz/ uses these so both trees treat its targets alike.

if(NOT RAVA_FUZZ)
  if(CMAKE_CROSSCOMPILING)
    # Debian ships the GoogleTest sources; build them with the cross compiler.
    # The web tree runs single-threaded programs under node.
    if(EMSCRIPTEN)
      set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    else()
      set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
    foreach(lib gtest gtest_main gmock gmock_main)
      if(NOT TARGET GTest::${lib})
        add_library(GTest::${lib} ALIAS ${lib})
      endif()
    endforeach()
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

# rava_node_program(target): in the web tree, a program CTest runs under node:
# one self-contained .js (this node cannot load a .wasm by path), a heap that
# grows, room on the stack for the solver's and the tests' locals, the real
# file system, environment and exit status.
function(rava_node_program target)
  if(EMSCRIPTEN)
    set(environment ${PROJECT_SOURCE_DIR}/cmake/node_environment.js)
    target_link_options(${target} PRIVATE -sSINGLE_FILE=1 -sENVIRONMENT=node -sALLOW_MEMORY_GROWTH=1
      -sTOTAL_STACK=8MB -sNODERAWFS=1 -sEXIT_RUNTIME=1 "SHELL:--pre-js ${environment}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${environment})
  endif()
endfunction()

# rava_add_gtest(name SOURCES a.cpp... LIBS lib... [LABELS l...] [TIMEOUT s])
# One CTest test per executable: under Wine each start costs a process launch.
function(rava_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  # GCC 12 at -O3 reports -Wrestrict inside libstdc++ for "text" + std::string
  # (a known false positive of that compiler); tests build such ids a lot.
  target_compile_options(${name} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
  rava_node_program(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# rava_add_benchmark(name SOURCES ... LIBS ...)
function(rava_add_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# rava_add_fuzzer(name SOURCES ... LIBS ... CORPUS dir)
# The ctest entry runs the fuzzer for RAVA_FUZZ_SECONDS on a scratch copy of
# the committed seed corpus, so the source tree is never written.
# -entropic_feature_frequency_threshold=0: after a whole corpus is loaded
# libFuzzer otherwise keeps every loaded feature on its "rare" list and
# searches that list for each feature of each run, which took half of the
# store fuzzer's time; with 0 the list stays at its 100 rarest features.
function(rava_add_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
      sh -c "rm -rf '${work}' && mkdir -p '${work}' && cp -r '${F_CORPUS}'/. '${work}'/ && '$<TARGET_FILE:${name}>' -max_total_time=${RAVA_FUZZ_SECONDS} -entropic_feature_frequency_threshold=0 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 '${work}'")
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()

# Adds every listed subfolder that exists; lets each component own its folder.
# RAVA_ONLY (a list of folder names) limits a work tree to some components.
set(RAVA_ONLY "" CACHE STRING "Build only these folders (empty: everything)")
function(rava_add_existing_subdirectories)
  foreach(sub ${ARGN})
    if(RAVA_ONLY AND NOT sub IN_LIST RAVA_ONLY)
      continue()
    endif()
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/CMakeLists.txt)
      add_subdirectory(${sub})
    endif()
  endforeach()
endfunction()
