# cmake -DTABLE=<libraries.cmake> -DSTAMP=<file> -P VqIncludeCheck.cmake
# Holds each library of ours to its declared dependencies (the table that
# vq_define_libraries writes: VQ_ROOT, VQ_LIBRARIES and, per library,
# VQ_FOLDER_, VQ_DEPS_ and VQ_FILES_):
# - every "folder/…" include of its sources names its own folder or a library
#   that its DEPS bring, directly or through another library (CMake passes
#   the dependencies of a dependency on, so the ground floor need not be
#   repeated on every line);
# - every library in its DEPS is included from directly, so no dependency is
#   kept that nothing uses.
cmake_minimum_required(VERSION 3.25)
include(${TABLE})

# The library whose folder holds a path below VQ_ROOT (the deepest folder wins).
function(owner_of path out)
  set(best "")
  set(best_length 0)
  foreach(library ${VQ_LIBRARIES})
    set(folder "${VQ_FOLDER_${library}}")
    string(LENGTH "${folder}" length)
    string(FIND "${path}" "${folder}/" at)
    if(at EQUAL 0 AND length GREATER best_length)
      set(best ${library})
      set(best_length ${length})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

# The libraries that a library's DEPS bring, directly or not.
function(reach_of library out)
  set(reached)
  set(pending ${VQ_DEPS_${library}})
  while(pending)
    list(POP_FRONT pending next)
    if(NOT next IN_LIST reached)
      list(APPEND reached ${next})
      list(APPEND pending ${VQ_DEPS_${next}})
    endif()
  endwhile()
  set(${out} "${reached}" PARENT_SCOPE)
endfunction()

set(faults)
foreach(library ${VQ_LIBRARIES})
  reach_of(${library} reached)
  set(used)
  foreach(file ${VQ_FILES_${library}})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    get_filename_component(dir ${file} DIRECTORY)
    file(RELATIVE_PATH shown ${VQ_ROOT} ${file})
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" included "${line}")
      # Beside the including file first, as the compiler looks.
      if(EXISTS ${dir}/${included})
        file(RELATIVE_PATH included ${VQ_ROOT} ${dir}/${included})
      endif()
      owner_of("${included}" owner)
      if(NOT owner OR owner STREQUAL library)
        continue()
      endif()
      list(APPEND used ${owner})
      if(NOT owner IN_LIST reached)
        list(APPEND faults "${shown} includes ${included} from ${owner}, which ${library} does not declare")
      endif()
    endforeach()
  endforeach()
  foreach(dep ${VQ_DEPS_${library}})
    if(NOT dep IN_LIST used)
      list(APPEND faults "${library} declares ${dep} but includes nothing from ${VQ_FOLDER_${dep}}/")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Library dependencies differ from the includes (see DEPS in src/CMakeLists.txt):\n  ${text}")
endif()
file(TOUCH ${STAMP})
