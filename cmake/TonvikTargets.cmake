# Common settings for every target of the project.

add_library(tonvik_options INTERFACE)
target_compile_options(tonvik_options INTERFACE -Wall -Wextra)
if(TONVIK_WERROR)
  target_compile_options(tonvik_options INTERFACE -Werror)
endif()
if(TONVIK_SANITIZE)
  target_compile_options(tonvik_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tonvik_options INTERFACE -fsanitize=address,undefined)
endif()
# Source files are UTF-8, and so are the narrow literals they hold.
target_compile_options(tonvik_options INTERFACE -finput-charset=UTF-8 -fexec-charset=UTF-8)

# tonvik_library(<name> [SOURCES ...] [PUBLIC_DEPS ...] [PRIVATE_DEPS ...])
# One static library per subsystem folder; headers are included as
# "<folder>/<file>.h" from the source root.
function(tonvik_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE tonvik_options ${ARG_PRIVATE_DEPS})
  if(TONVIK_SANITIZE)
    target_link_options(${name} INTERFACE -fsanitize=address,undefined)
  endif()
endfunction()

# tonvik_sources_in(<var> <folder>...): the C++ sources and headers of the
# given folders (relative to the current one; "." for itself), picked up by
# pattern so that adding a file needs no edit here.
function(tonvik_sources_in var)
  set(patterns)
  foreach(folder IN LISTS ARGN)
    list(APPEND patterns "${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h")
  endforeach()
  file(GLOB found CONFIGURE_DEPENDS ${patterns})
  set(${var} ${found} PARENT_SCOPE)
endfunction()

# A subsystem whose code has not been written yet: a header-only target, so
# that dependants can already name it.
function(tonvik_pending_library name)
  add_library(${name} INTERFACE)
  target_include_directories(${name} INTERFACE "${PROJECT_SOURCE_DIR}")
endfunction()

# Adds every folder below the current one that has a CMakeLists.txt, so a
# new tool, benchmark or fuzzer needs no edit of a shared file.
function(tonvik_add_subfolders)
  file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*")
  foreach(folder IN LISTS entries)
    if(IS_DIRECTORY "${folder}" AND EXISTS "${folder}/CMakeLists.txt")
      add_subdirectory("${folder}")
    endif()
  endforeach()
endfunction()
