# Helpers that turn a folder into one static library, and each test or benchmark
# source into its own executable, so that folders can grow without editing shared lists.

# vlm_drop_nested(<list var> <source folder> <files folder>)
# Removes from the list the files below <files folder>/<sub> for every <sub> of <source folder> that
# has a CMakeLists.txt of its own.
function(vlm_drop_nested listVar sourceFolder filesFolder)
  file(GLOB_RECURSE nested CONFIGURE_DEPENDS ${sourceFolder}/*/CMakeLists.txt)
  set(kept ${${listVar}})
  foreach(cmakeFile ${nested})
    get_filename_component(dir ${cmakeFile} DIRECTORY)
    file(RELATIVE_PATH sub ${sourceFolder} ${dir})
    set(prefix "${filesFolder}/${sub}/")
    string(LENGTH "${prefix}" prefixLength)
    set(remaining)
    foreach(f ${kept})
      string(SUBSTRING "${f}" 0 ${prefixLength} head)
      if(NOT head STREQUAL prefix)
        list(APPEND remaining ${f})
      endif()
    endforeach()
    set(kept ${remaining})
  endforeach()
  set(${listVar} ${kept} PARENT_SCOPE)
endfunction()

# vlm_folder_library(<target> [DEPS <targets...>])
# Builds every .cpp/.c/.S below the current folder into a static library.
function(vlm_folder_library target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c ${CMAKE_CURRENT_SOURCE_DIR}/*.S)
  # A subfolder with a CMakeLists.txt of its own is a library of its own (Keel/Core/HMX).
  vlm_drop_nested(sources ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# vlm_test_folder(<folder> LIBS <targets...>)
# Every *Test.cpp below tests/<folder> becomes one GoogleTest executable and one CTest test.
# A file whose name ends in GuiTest.cpp gets the label "gui" (it needs a display).
function(vlm_test_folder folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*Test.cpp)
  # Tests of a nested library folder get their own vlm_test_folder line.
  vlm_drop_nested(tests ${PROJECT_SOURCE_DIR}/${folder} ${CMAKE_CURRENT_SOURCE_DIR}/${folder})
  string(REPLACE "/" "_" prefix "${folder}")
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    set(exe ${prefix}_${name})
    add_executable(${exe} ${src})
    target_include_directories(${exe} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR})
    target_link_libraries(${exe} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
    # Sanitizer trees check the libraries; a test's own source needs no optimizing there, and builds in
    # a third less time without it.
    if(VLM_SANITIZE OR VLM_TSAN)
      target_compile_options(${exe} PRIVATE -O0)
    endif()
    add_test(NAME ${exe} COMMAND ${exe})
    set_tests_properties(${exe} PROPERTIES TIMEOUT 600
      ENVIRONMENT "VLM_SOURCE_DIR=${PROJECT_SOURCE_DIR};VLM_BINARY_DIR=${PROJECT_BINARY_DIR}")
    if(name MATCHES "GuiTest$")
      set_tests_properties(${exe} PROPERTIES LABELS gui)
    endif()
  endforeach()
endfunction()

# vlm_bench_folder(<folder> LIBS <targets...>)
# Every *Bench.cpp below bench/<folder> becomes one Google Benchmark executable (built, not run by CTest).
function(vlm_bench_folder folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE benches CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*Bench.cpp)
  string(REPLACE "/" "_" prefix "${folder}")
  foreach(src ${benches})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${prefix}_${name} ${src})
    target_include_directories(${prefix}_${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${prefix}_${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
  endforeach()
endfunction()
