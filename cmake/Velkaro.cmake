# Helpers shared by every folder's CMakeLists.txt.
#
# Each folder is one library whose sources are the .cpp files in the folder itself; its tests
# are the *_test.cpp files in its tests/ subfolder, linked into one test program per folder.

# velkaro_library(NAME <target> [QT] DEPS <targets...>)
function(velkaro_library)
  cmake_parse_arguments(ARG "QT" "NAME" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB _hdr CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(_src)
    add_library(${ARG_NAME} STATIC ${_src} ${_hdr})
    target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${ARG_NAME} PUBLIC ${ARG_DEPS})
    velkaro_warnings(${ARG_NAME})
    if(ARG_QT)
      set_target_properties(${ARG_NAME} PROPERTIES AUTOMOC ON)
    endif()
  else()
    add_library(${ARG_NAME} INTERFACE)
    target_include_directories(${ARG_NAME} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${ARG_NAME} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# velkaro_tests(NAME <test program> DEPS <targets...>)
# The tests of a folder live in its tests/ subfolder: every tests/*_test.cpp goes into one
# GoogleTest program <name>. Files named *_threaded_test.cpp go into a second program
# <name>_threaded, labelled "threaded", which is run again under ThreadSanitizer. Files named
# *_hidpi_test.cpp go into <name>_hidpi, whose windows lay out on a screen of two pixels per
# logical pixel (QT_SCALE_FACTOR=2, which Qt reads when the application object is made).
# Helper sources shared by all of them live in tests/support/.
function(velkaro_tests)
  if(NOT VELKARO_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "NAME" "DEPS" ${ARGN})
  file(GLOB _all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  file(GLOB _threaded CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_threaded_test.cpp)
  file(GLOB _hidpi CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_hidpi_test.cpp)
  file(GLOB _support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/*.cpp)
  set(_plain ${_all})
  if(_threaded)
    list(REMOVE_ITEM _plain ${_threaded})
  endif()
  if(_hidpi)
    list(REMOVE_ITEM _plain ${_hidpi})
  endif()
  if(_plain)
    _velkaro_test_program(${ARG_NAME} "${_plain};${_support}" "${ARG_DEPS}" "unit")
  endif()
  if(_hidpi)
    _velkaro_test_program(${ARG_NAME}_hidpi "${_hidpi};${_support}" "${ARG_DEPS}" "unit" "QT_SCALE_FACTOR=2")
  endif()
  if(_threaded)
    _velkaro_test_program(${ARG_NAME}_threaded "${_threaded};${_support}" "${ARG_DEPS}" "threaded")
    add_dependencies(threaded_tests ${ARG_NAME}_threaded)
  endif()
endfunction()

# Extra arguments are further environment settings of the tests.
function(_velkaro_test_program name sources deps label)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${deps} gtest_main gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    VELKARO_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output"
    VELKARO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  velkaro_warnings(${name})
  set(_env QT_QPA_PLATFORM=offscreen ${ARGN})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 120
    PROPERTIES LABELS "${label}"
               ENVIRONMENT "${_env}"
               TIMEOUT 300)
endfunction()
