# Shared build settings for the host build and the Windows build.

# Warnings for the project's own targets (never for third-party code).
function(pellam_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A plain static library of portable code, compiled into both builds.
function(pellam_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  pellam_warnings(${name})
endfunction()

if(WIN32)
  # Every program Pellam ships carries the one application manifest,
  # resources/program.manifest (execution level, supported Windows versions,
  # DPI awareness): pellam_program_manifest(target) embeds it.
  set(PELLAM_MANIFEST ${PROJECT_SOURCE_DIR}/resources/program.manifest)
  set(PELLAM_MANIFEST_RC ${PROJECT_BINARY_DIR}/program_manifest.rc)
  file(WRITE ${PELLAM_MANIFEST_RC}.new "1 24 \"${PELLAM_MANIFEST}\"\n") # 1: the process's manifest, 24: RT_MANIFEST
  file(COPY_FILE ${PELLAM_MANIFEST_RC}.new ${PELLAM_MANIFEST_RC} ONLY_IF_DIFFERENT)
  function(pellam_program_manifest target)
    target_sources(${target} PRIVATE ${PELLAM_MANIFEST_RC})
    set_source_files_properties(${PELLAM_MANIFEST_RC} TARGET_DIRECTORY ${target}
                                PROPERTIES OBJECT_DEPENDS ${PELLAM_MANIFEST})
  endfunction()
endif()

if(NOT WIN32)
  # Host unit test: GoogleTest under AddressSanitizer and UBSan.
  find_package(GTest REQUIRED)
  include(GoogleTest)
  function(pellam_host_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    pellam_warnings(${name})
    gtest_discover_tests(${name} TEST_PREFIX "host." DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "PELLAM_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  endfunction()
else()
  # Windows test: a MinGW build of GoogleTest, each TEST in its own Wine
  # process (a crash ends only that test and fails it).
  include(GoogleTest)
  function(pellam_win_test name)
    # TEST_PREFIX (default "win."), TEST_FILTER (a --gtest_filter) and
    # TEST_PROPERTIES (more ctest properties) let one test binary be
    # registered for another backend.
    cmake_parse_arguments(ARG "GUI" "TEST_PREFIX;TEST_FILTER" "SOURCES;LIBS;TEST_PROPERTIES" ${ARGN})
    if(NOT ARG_TEST_PREFIX)
      set(ARG_TEST_PREFIX "win.")
    endif()
    set(filter)
    if(ARG_TEST_FILTER)
      set(filter TEST_FILTER ${ARG_TEST_FILTER})
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    if(ARG_GUI)
      target_link_libraries(${name} PRIVATE user32 gdi32 comctl32)
    endif()
    pellam_warnings(${name})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PELLAM_TEST_BIN})
    add_dependencies(${name} pellam_test_dlls)
    gtest_discover_tests(${name} TEST_PREFIX ${ARG_TEST_PREFIX} ${filter} DISCOVERY_MODE PRE_TEST
                         DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120 ${ARG_TEST_PROPERTIES})
  endfunction()
endif()
