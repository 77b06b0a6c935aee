# vq_library(<target> <folder> [WIDGETS] [DEPS ...])
# One static library from every .cpp of a folder (not its sub-folders), so that
# adding a unit needs no edit here. Core libraries link QtCore only; WIDGETS
# marks the libraries that may link QtWidgets. A folder without sources yet
# gives an interface library that only passes its dependencies on.
function(vq_library target folder)
  cmake_parse_arguments(ARG "WIDGETS" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${folder}/*.h)
  if(ARG_WIDGETS)
    set(qt Qt6::Widgets)
  else()
    set(qt Qt6::Core)
  endif()
  if(sources)
    add_library(${target} STATIC ${sources} ${headers})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${qt} ${ARG_DEPS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} INTERFACE ${qt} ${ARG_DEPS})
  endif()
endfunction()

# vq_test(<name> <folder> DEPS ...): one GoogleTest executable from the .cpp
# files of a tests/ folder, its cases registered with ctest.
function(vq_test name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} vq_testsupport GTest::gtest GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VQ_BUILD_DIR=${PROJECT_BINARY_DIR};VQ_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
endfunction()
