# Helpers shared by every folder of the build.

set(NOTIFIER_WARNINGS -Wall -Wextra)

if(NOTIFIER_SANITIZE)
  string(REPLACE "," ";" _san_list "${NOTIFIER_SANITIZE}")
  set(_san_flags "")
  foreach(s IN LISTS _san_list)
    list(APPEND _san_flags "-fsanitize=${s}")
  endforeach()
  add_compile_options(${_san_flags} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(${_san_flags})
endif()

# A libFuzzer build instruments every layer for coverage; the fuzz targets
# themselves link the fuzzer's main.
if(NOTIFIER_LIBFUZZER)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

find_package(Threads REQUIRED)

# Every target sees the tree root, so includes read "platform/kernel32/WinError.h".
include_directories(${PROJECT_SOURCE_DIR})

# notifier_layer(NAME DIRS dir... [EXCLUDE regex] [DEPENDS layer...] [LIBS lib...])
#
# One object library per layer, built from the sources found in its folders.
# Layers are object libraries rather than archives so that the static
# registration objects of a layer (factory lists, log subsystems) are always
# part of the program, although nothing names them. A layer compiles against
# the tree root only (system headers stay in platform/), so it needs nothing
# from the layers below it until the program is linked.
function(notifier_layer name)
  cmake_parse_arguments(L "" "EXCLUDE" "DIRS;DEPENDS;LIBS" ${ARGN})
  set(srcs "")
  foreach(d IN LISTS L_DIRS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
         ${PROJECT_SOURCE_DIR}/${d}/*.cpp ${PROJECT_SOURCE_DIR}/${d}/*.h)
    list(APPEND srcs ${found})
  endforeach()
  if(L_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${L_EXCLUDE}")
  endif()
  set(cpps ${srcs})
  list(FILTER cpps INCLUDE REGEX "\\.cpp$")
  if(cpps)
    add_library(${name} OBJECT ${srcs})
    target_compile_options(${name} PRIVATE ${NOTIFIER_WARNINGS})
    target_link_libraries(${name} PUBLIC ${L_LIBS} Threads::Threads)
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${L_LIBS})
  endif()
  set_property(GLOBAL PROPERTY NOTIFIER_DEPS_${name} "${L_DEPENDS}")
endfunction()

# The layers NAME needs, itself first, each once.
function(_notifier_closure out)
  set(result "")
  set(todo ${ARGN})
  while(todo)
    list(POP_FRONT todo cur)
    if(NOT cur IN_LIST result)
      list(APPEND result ${cur})
      get_property(deps GLOBAL PROPERTY NOTIFIER_DEPS_${cur})
      list(APPEND todo ${deps})
    endif()
  endwhile()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# notifier_link_layers(TARGET layer...): links the objects of the layers and of
# everything they depend on into TARGET.
function(notifier_link_layers target)
  _notifier_closure(all ${ARGN})
  foreach(l IN LISTS all)
    target_link_libraries(${target} PRIVATE ${l})
  endforeach()
endfunction()

# notifier_program(NAME SOURCES src... LAYERS layer... [LIBS lib...])
function(notifier_program name)
  cmake_parse_arguments(P "" "" "SOURCES;LAYERS;LIBS" ${ARGN})
  add_executable(${name} ${P_SOURCES})
  target_compile_options(${name} PRIVATE ${NOTIFIER_WARNINGS})
  notifier_link_layers(${name} ${P_LAYERS})
  target_link_libraries(${name} PRIVATE ${P_LIBS} Threads::Threads)
endfunction()
