# vq_library(<target> <folder> [WIDGETS | GUI] [DEPS ...])
# One static library from every .cpp of a folder and of its sub-folders that
# are no library of their own (src/dataview/viewers/ belongs to vq_dataview),
# so that adding a unit needs no edit here. Core libraries link QtCore only;
# WIDGETS marks the libraries that may link QtWidgets, GUI the ones that need
# the GUI application but no widget (QtGui). DEPS names every library of ours
# whose folder the library's sources include from, unless one of the others
# brings it; vq_check_includes holds the build to that. A folder without
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
# target (SOURCES: the ones other targets compile, such as the programs' mains;
# they stay out of the libraries). The build then checks the libraries'
# includes against their dependencies (vq_check_includes).
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
  set(include_table "set(VQ_ROOT \"${root}\")\nset(VQ_LIBRARIES \"${targets}\")\n")
  set(checked_files)
  set(compiled)
  set(programs)
  foreach(source ${ARG_SOURCES})
    list(APPEND programs ${root}/${source})
  endforeach()
  foreach(target ${targets})
    get_property(folder GLOBAL PROPERTY VQ_LIBRARY_FOLDER_${target})
    get_property(args GLOBAL PROPERTY VQ_LIBRARY_ARGS_${target})
    cmake_parse_arguments(ARG "WIDGETS;GUI" "" "DEPS" ${args})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${root}/${folder}/*.cpp)
    file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${root}/${folder}/*.h)
    foreach(other ${folders})
      string(FIND "${other}" "${folder}/" at)
      if(at EQUAL 0)
        list(FILTER sources EXCLUDE REGEX "^${root}/${other}/")
        list(FILTER headers EXCLUDE REGEX "^${root}/${other}/")
      endif()
    endforeach()
    if(programs)
      list(REMOVE_ITEM sources ${programs})
    endif()
    list(APPEND compiled ${sources})
    set(own_deps)
    foreach(dep ${ARG_DEPS})
      if(dep IN_LIST targets)
        list(APPEND own_deps ${dep})
      endif()
    endforeach()
    string(APPEND include_table "set(VQ_FOLDER_${target} \"${folder}\")\n"
                                "set(VQ_DEPS_${target} \"${own_deps}\")\n"
                                "set(VQ_FILES_${target} \"${sources};${headers}\")\n")
    list(APPEND checked_files ${sources} ${headers})
    if(ARG_WIDGETS)
      set(qt Qt6::Widgets)
    elseif(ARG_GUI)
      set(qt Qt6::Gui)
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
  vq_refuse_orphans(${root} "a folder needs a vq_library line" ${compiled} ${programs})
  vq_check_includes("${include_table}" ${checked_files})
endfunction()

# Fails the configure step when a .cpp below root is not among the compiled
# files: a unit that no target builds would rot unseen.
function(vq_refuse_orphans root hint)
  file(GLOB_RECURSE everything CONFIGURE_DEPENDS ${root}/*.cpp)
  list(REMOVE_ITEM everything ${ARGN})
  if(everything)
    list(JOIN everything "\n  " orphans)
    message(FATAL_ERROR "Sources that no target compiles (${hint}):\n  ${orphans}")
  endif()
endfunction()

# vq_check_includes(<table> <file>...): a build step that fails when a
# library's source includes from a library of ours that its DEPS do not bring
# (directly or through another library), or when DEPS names a library whose
# folder it never includes from. Runs again whenever a source changes.
function(vq_check_includes table)
  set(dir ${CMAKE_BINARY_DIR}/vq_include_check)
  file(WRITE ${dir}/libraries.cmake "${table}")
  add_custom_command(OUTPUT ${dir}/checked
    COMMAND ${CMAKE_COMMAND} -DTABLE=${dir}/libraries.cmake -DSTAMP=${dir}/checked
            -P ${PROJECT_SOURCE_DIR}/cmake/VqIncludeCheck.cmake
    DEPENDS ${ARGN} ${dir}/libraries.cmake ${PROJECT_SOURCE_DIR}/cmake/VqIncludeCheck.cmake
    COMMENT "Checking the libraries' includes against their dependencies"
    VERBATIM)
  add_custom_target(vq_include_check ALL DEPENDS ${dir}/checked)
endfunction()

# vq_refuse_test_orphans(): fails the configure step when a test source below
# the current folder is compiled by none of its targets (a tests/ folder
# without a vq_test line).
function(vq_refuse_test_orphans)
  set(root ${CMAKE_CURRENT_SOURCE_DIR})
  get_property(targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
  set(compiled)
  foreach(target ${targets})
    get_target_property(sources ${target} SOURCES)
    if(NOT sources)
      continue()
    endif()
    foreach(source ${sources})
      if(source MATCHES "^\\$<")
        continue()
      endif()
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${root} NORMALIZE OUTPUT_VARIABLE source)
      list(APPEND compiled ${source})
    endforeach()
  endforeach()
  vq_refuse_orphans(${root} "a tests/ folder needs a vq_test line" ${compiled})
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
