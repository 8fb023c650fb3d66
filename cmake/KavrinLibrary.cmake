# One static library per folder of main/. A folder's sources are picked up by glob, so adding a
# file needs no edit here; nested folders that are libraries of their own are excluded.
# A library is made only once its folder has a source; the chain skips folders without one.

set(KAVRIN_LIBRARIES "")
# Every library made so far, the highest first: what programs (kavrin, tools, bench, fuzz) link.
set(KAVRIN_ALL_LIBRARIES "")
set(KAVRIN_NESTED_LIBRARY_DIRS main/platform/widgets)

function(kavrin_library name folder test_prefix)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  foreach(nested ${KAVRIN_NESTED_LIBRARY_DIRS})
    if(NOT nested STREQUAL folder)
      list(FILTER sources EXCLUDE REGEX "^${CMAKE_SOURCE_DIR}/${nested}/")
    endif()
  endforeach()
  list(FILTER sources EXCLUDE REGEX "/main/app/startup/main\\.cpp$")
  # Resolve the dependencies through the chain: a missing library stands for the one below it.
  set(deps "")
  foreach(dep ${ARG_DEPS})
    if(dep MATCHES "^kavrin_" AND NOT TARGET ${dep})
      get_property(dep GLOBAL PROPERTY KAVRIN_ALIAS_${dep})
    endif()
    if(dep)
      list(APPEND deps ${dep})
    endif()
  endforeach()
  set(cpp_sources ${sources})
  list(FILTER cpp_sources INCLUDE REGEX "\\.cpp$")
  if(cpp_sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/main)
    target_link_libraries(${name} PUBLIC ${deps})
    set_property(GLOBAL APPEND PROPERTY KAVRIN_BUILT_LIBRARIES "${name}|${test_prefix}")
    set_property(GLOBAL PROPERTY KAVRIN_ALIAS_${name} ${name})
    set(KAVRIN_ALL_LIBRARIES ${name} ${KAVRIN_ALL_LIBRARIES} PARENT_SCOPE)
  else()
    # No sources yet: whoever names this library gets the nearest one below it.
    list(GET deps 0 below)
    set_property(GLOBAL PROPERTY KAVRIN_ALIAS_${name} ${below})
  endif()
endfunction()

# One GoogleTest program per library, from tests/<prefix>/*.cpp; every ctest name starts with
# "<prefix>." so that `ctest -R '^core\.'` runs one library's tests.
function(kavrin_all_tests)
  get_property(built GLOBAL PROPERTY KAVRIN_BUILT_LIBRARIES)
  foreach(entry ${built})
    string(REPLACE "|" ";" parts ${entry})
    list(GET parts 0 lib)
    list(GET parts 1 prefix)
    file(GLOB_RECURSE test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${prefix}/*.cpp
      ${CMAKE_SOURCE_DIR}/tests/${prefix}/*.h)
    list(FILTER test_sources EXCLUDE REGEX "/tests/platform/widgets/")
    set(cpp_tests ${test_sources})
    list(FILTER cpp_tests INCLUDE REGEX "\\.cpp$")
    if(NOT cpp_tests)
      continue()
    endif()
    add_executable(${lib}_tests ${test_sources} ${CMAKE_SOURCE_DIR}/tests/test_main.cpp)
    target_include_directories(${lib}_tests PRIVATE ${CMAKE_SOURCE_DIR}/main ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${lib}_tests PRIVATE ${lib} GTest::gtest GTest::gmock Qt6::Gui)
    # Libraries that use widgets get a QApplication in their test programs, and QTest to drive
    # their widgets with mouse and key events.
    if(prefix MATCHES "^(platform_widgets|ui|windows|filters|app)$")
      target_link_libraries(${lib}_tests PRIVATE Qt6::Widgets Qt6::Test)
      target_compile_definitions(${lib}_tests PRIVATE KAVRIN_TEST_WIDGETS=1)
    endif()
    target_compile_definitions(${lib}_tests PRIVATE
      KAVRIN_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data" KAVRIN_TOOLS_DIR="${CMAKE_BINARY_DIR}/tools")
    gtest_discover_tests(${lib}_tests TEST_PREFIX "${prefix}." DISCOVERY_TIMEOUT 120
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endforeach()
endfunction()
