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
endfunction()
