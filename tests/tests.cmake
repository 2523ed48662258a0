# Test executables: one ctest entry per executable (every Wine start costs about a second).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB QM_PURE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*_test.cpp)

# The pure modules' tests: natively with sanitizers, and again under Wine in the win64 tree.
add_executable(pure_tests ${QM_PURE_TEST_SOURCES})
qm_target_flags(pure_tests)
target_link_libraries(pure_tests PRIVATE qm_pure gtest_main)
add_test(NAME pure_tests COMMAND pure_tests)

if(QM_TREE STREQUAL "win64")
  file(GLOB QM_WIN_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/support/*.cpp)
  add_library(qm_win_support STATIC ${QM_WIN_SUPPORT_SOURCES})
  qm_target_flags(qm_win_support)
  target_link_libraries(qm_win_support PUBLIC qm_glue gtest)

  # Each Windows test file is an executable of its own: windows, hotkeys and the clipboard are
  # process-wide, so the suites stay out of each other's way.
  file(GLOB QM_WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
  foreach(src ${QM_WIN_TEST_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(win_${name} ${src} $<TARGET_OBJECTS:qm_res>)
    qm_target_flags(win_${name})
    target_link_libraries(win_${name} PRIVATE qm_win_support gtest_main)
    add_test(NAME win_${name} COMMAND win_${name})
  endforeach()

  # The scenarios' helper programs, each acting on Quillmate as another program would.
  foreach(helper qmdriver qmcopier)
    add_executable(${helper} ${CMAKE_SOURCE_DIR}/tests/driver/${helper}.cpp)
    qm_target_flags(${helper})
    target_link_libraries(${helper} PRIVATE user32 kernel32)
  endforeach()

  # The search window's benchmark: a key typed into its field to the list painted, in-process.
  add_executable(search_winbench ${CMAKE_SOURCE_DIR}/tests/bench/search_winbench.cpp
                                 $<TARGET_OBJECTS:qm_res>)
  qm_target_flags(search_winbench)
  target_link_libraries(search_winbench PRIVATE qm_win_support)
  target_include_directories(search_winbench PRIVATE ${CMAKE_SOURCE_DIR}/tests/win)

  # The capture benchmark's yardstick: what a bare window program costs under Wine.
  add_executable(barewindow WIN32 ${CMAKE_SOURCE_DIR}/tests/bench/barewindow.cpp)
  qm_target_flags(barewindow)
  target_link_libraries(barewindow PRIVATE user32 kernel32)
endif()

# The planted DLL of the library-search tests, kept apart until a test plants it.
if(TARGET win_about_test)
  add_library(planted_rsrc32 SHARED ${CMAKE_SOURCE_DIR}/tests/win/planted/rsrc32.cpp)
  set_target_properties(planted_rsrc32 PROPERTIES PREFIX "" OUTPUT_NAME rsrc32
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
  add_dependencies(win_about_test planted_rsrc32)
  add_dependencies(win_toolsys_test planted_rsrc32)
endif()
