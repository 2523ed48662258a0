# The fuzz tree: the pure modules and one libFuzzer executable per fuzz/*_fuzz.cpp, built with
# clang, AddressSanitizer and UBSan. Clang encodes narrow literals only as UTF-8, so the pure
# sources and every header are compiled from copies whose non-ASCII characters are CP932
# escapes: the fuzzed code sees exactly the bytes the shipped program holds.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "the fuzz tree needs clang (-DCMAKE_CXX_COMPILER=clang++)")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(QM_FUZZ_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                  -fno-omit-frame-pointer)
set(QM_CP932_ROOT ${CMAKE_BINARY_DIR}/cp932)
set(QM_CP932_SCRIPT ${CMAKE_SOURCE_DIR}/fuzz/cp932src.py)

file(GLOB_RECURSE QM_ALL_HEADERS CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/*.h ${CMAKE_SOURCE_DIR}/res/*.h)
set(QM_CP932_FILES)
set(QM_CP932_PURE)
foreach(file ${QM_ALL_HEADERS} ${QM_PURE_SOURCES})
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${file})
  set(out ${QM_CP932_ROOT}/${rel})
  add_custom_command(OUTPUT ${out}
    COMMAND ${Python3_EXECUTABLE} ${QM_CP932_SCRIPT} ${file} ${out}
    DEPENDS ${file} ${QM_CP932_SCRIPT} VERBATIM)
  list(APPEND QM_CP932_FILES ${out})
  if(file MATCHES "\\.cpp$")
    list(APPEND QM_CP932_PURE ${out})
  endif()
endforeach()
# Generated directories must exist before the commands write into them.
foreach(out ${QM_CP932_FILES})
  get_filename_component(dir ${out} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
endforeach()
add_custom_target(qm_cp932_sources DEPENDS ${QM_CP932_FILES})

add_library(qm_pure_fuzz STATIC ${QM_CP932_PURE})
add_dependencies(qm_pure_fuzz qm_cp932_sources)
target_compile_options(qm_pure_fuzz PUBLIC ${QM_FUZZ_FLAGS} PRIVATE -fsanitize=fuzzer-no-link
                       ${QM_WARNING_FLAGS})
target_include_directories(qm_pure_fuzz PUBLIC ${QM_CP932_ROOT}/src ${QM_CP932_ROOT}/res)

file(GLOB QM_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
foreach(src ${QM_FUZZ_TARGETS})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  add_dependencies(${name} qm_cp932_sources)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${QM_WARNING_FLAGS})
  target_link_libraries(${name} PRIVATE qm_pure_fuzz)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer ${QM_FUZZ_FLAGS})
endforeach()
