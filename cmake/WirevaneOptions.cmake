# Compiler settings shared by every target of the project.
add_library(wv_options INTERFACE)
target_compile_options(wv_options INTERFACE -Wall -Wextra -Wpedantic -Werror
  -Wno-error=deprecated-declarations)
target_compile_definitions(wv_options INTERFACE QT_FORCE_ASSERTS _GLIBCXX_ASSERTIONS)
# Debug information names files relative to the source folder, so that two
# checkouts of the tree compile to the same objects and share a compiler cache.
target_compile_options(wv_options INTERFACE -fdebug-prefix-map=${CMAKE_SOURCE_DIR}=.)

if(WV_SANITIZE)
  target_compile_options(wv_options INTERFACE -fsanitize=address,undefined
    -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(wv_options INTERFACE -fsanitize=address,undefined)
endif()

# wv_logic_library(name SOURCES ... [QT ...] [LIBS ...])
# A subsystem's logic library: QtCore (and QtNetwork if asked), never QtWidgets.
function(wv_logic_library name)
  cmake_parse_arguments(A "" "" "SOURCES;QT;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC wv_options Qt6::Core ${A_LIBS})
  foreach(q ${A_QT})
    if(q STREQUAL "Widgets" OR q STREQUAL "Gui" OR q STREQUAL "PrintSupport")
      message(FATAL_ERROR "${name}: logic libraries must not link Qt${q}")
    endif()
    target_link_libraries(${name} PUBLIC Qt6::${q})
  endforeach()
  # The boundary is checked on the whole link closure after configuration.
  set_property(GLOBAL APPEND PROPERTY WV_LOGIC_LIBRARIES ${name})
endfunction()

# wv_widgets_library(name SOURCES ... [LIBS ...])
function(wv_widgets_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC wv_options Qt6::Widgets ${A_LIBS})
  set_property(TARGET ${name} PROPERTY WV_WIDGETS ON)
endfunction()

# What a target links, directly or through any library it links: fails the
# configuration when a logic library reaches Qt Widgets, Gui or PrintSupport,
# or a windows library. `path` names the chain for the message.
function(_wv_check_closure root target path)
  get_property(_seen GLOBAL PROPERTY _WV_SEEN_${root})
  if(target IN_LIST _seen)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY _WV_SEEN_${root} ${target})
  if(target MATCHES "^Qt6::(Widgets|Gui|PrintSupport)$")
    message(FATAL_ERROR "logic library ${root} links ${target} through ${path}")
  endif()
  if(NOT TARGET ${target})
    return()
  endif()
  get_target_property(_widgets ${target} WV_WIDGETS)
  if(_widgets)
    message(FATAL_ERROR "logic library ${root} links the windows library ${target} through ${path}")
  endif()
  get_target_property(_imported ${target} IMPORTED)
  set(_links)
  if(NOT _imported)
    get_target_property(_direct ${target} LINK_LIBRARIES)
    if(_direct)
      list(APPEND _links ${_direct})
    endif()
  endif()
  get_target_property(_iface ${target} INTERFACE_LINK_LIBRARIES)
  if(_iface)
    list(APPEND _links ${_iface})
  endif()
  foreach(_l ${_links})
    # Generator expressions (for example $<LINK_ONLY:...>) wrap plain names.
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" _l "${_l}")
    if(_l MATCHES "^\\$<" OR _l MATCHES "^-")
      continue()
    endif()
    _wv_check_closure(${root} ${_l} "${path} -> ${_l}")
  endforeach()
endfunction()

# Checks every logic library made so far; called once at the end of the
# top-level CMakeLists.txt.
function(wv_check_logic_libraries)
  get_property(_libs GLOBAL PROPERTY WV_LOGIC_LIBRARIES)
  foreach(_lib ${_libs})
    _wv_check_closure(${_lib} ${_lib} ${_lib})
  endforeach()
endfunction()
