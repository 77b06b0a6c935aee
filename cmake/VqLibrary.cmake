# vq_library(<target> <folder> [WIDGETS] [DEPS ...])
# One static library from every .cpp of a folder and of its sub-folders that
# are no library of their own (src/dataview/viewers/ belongs to vq_dataview),
# so that adding a unit needs no edit here. Core libraries link QtCore only;
# WIDGETS marks the libraries that may link QtWidgets. A folder without
# sources yet gives an interface library that only passes its dependencies on.
# The libraries are only noted here: vq_define_libraries makes them once every
# folder is known.
function(vq_library target folder)
  set_property(GLOBAL APPEND PROPERTY VQ_LIBRARIES ${target})
  set_property(GLOBAL PROPERTY VQ_LIBRARY_FOLDER_${target} ${folder})
  set_property(GLOBAL PROPERTY VQ_LIBRARY_ARGS_${target} "${ARGN}")
endfunction()

# vq_define_libraries([SOURCES <file>...]): makes the noted libraries, and
# fails the build when a source below the current folder is compiled by no
# target (SOURCES: the ones other targets compile, such as the program's main).
# The core libraries are listed in the global property VQ_CORE_LIBRARIES.
function(vq_define_libraries)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  get_property(targets GLOBAL PROPERTY VQ_LIBRARIES)
  set(folders)
  foreach(target ${targets})
    get_property(folder GLOBAL PROPERTY VQ_LIBRARY_FOLDER_${target})
    list(APPEND folders ${folder})
  endforeach()
  set(root ${CMAKE_CURRENT_SOURCE_DIR})
  set(compiled)
  foreach(target ${targets})
    get_property(folder GLOBAL PROPERTY VQ_LIBRARY_FOLDER_${target})
    get_property(args GLOBAL PROPERTY VQ_LIBRARY_ARGS_${target})
    cmake_parse_arguments(ARG "WIDGETS" "" "DEPS" ${args})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${root}/${folder}/*.cpp)
    file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${root}/${folder}/*.h)
    foreach(other ${folders})
      string(FIND "${other}" "${folder}/" at)
      if(at EQUAL 0)
        list(FILTER sources EXCLUDE REGEX "^${root}/${other}/")
        list(FILTER headers EXCLUDE REGEX "^${root}/${other}/")
      endif()
    endforeach()
    list(APPEND compiled ${sources})
    if(ARG_WIDGETS)
      set(qt Qt6::Widgets)
    else()
      set(qt Qt6::Core)
      set_property(GLOBAL APPEND PROPERTY VQ_CORE_LIBRARIES ${target})
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
  endforeach()
  file(GLOB_RECURSE everything CONFIGURE_DEPENDS ${root}/*.cpp)
  foreach(source ${ARG_SOURCES})
    list(APPEND compiled ${root}/${source})
  endforeach()
  list(REMOVE_ITEM everything ${compiled})
  if(everything)
    list(JOIN everything "\n  " orphans)
    message(FATAL_ERROR "Sources that no target compiles (a folder needs a vq_library line):\n  ${orphans}")
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
