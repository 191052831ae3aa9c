# SPDX-License-Identifier: GPL-3.0-or-later
# Shared build rules for Kelvane's own targets.

# Our code is built with every warning as an error in development and CI
# builds (KELVANE_WERROR). A packager's Release build only warns: a newer
# compiler's new warning, or a known false positive, must not fail it.
function(kelvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KELVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# kelvane_library(NAME [QT] [LINK lib...]): a static library of every .cpp in
# the calling directory. Files whose name contains "Qt" belong to Qt front ends
# and are left out unless QT is given (platform/ keeps its Qt-free core apart).
function(kelvane_library name)
  cmake_parse_arguments(ARG "QT;ONLY_QT" "" "LINK" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(ARG_ONLY_QT)
    list(FILTER sources INCLUDE REGEX "Qt[^/]*\\.cpp$")
  elseif(NOT ARG_QT)
    list(FILTER sources EXCLUDE REGEX "Qt[^/]*\\.cpp$")
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LINK})
    kelvane_warnings(${name})
    if(ARG_QT OR ARG_ONLY_QT)
      set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_LINK})
  endif()
endfunction()

# kelvane_test_suite(NAME DIR LINK lib...): one GoogleTest executable of every
# .cpp under tests/DIR, registered with CTest. GUI tests run offscreen.
function(kelvane_test_suite name dir)
  cmake_parse_arguments(ARG "QT" "" "LINK" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LINK} GTest::gtest GTest::gmock GTest::gtest_main)
  kelvane_warnings(${name})
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${KELVANE_PROGRAM_DIR}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()
