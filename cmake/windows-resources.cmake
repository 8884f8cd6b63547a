# Windows programs carry version information (product Tessaro, the project's version, a
# description in Chinese that Explorer and the Task Manager show) and the program's icon, as a
# resource compiled by windres from cmake/windows-resources.rc.in. Elsewhere this does nothing.
function(tessaro_windows_resources target description)
  if(NOT WIN32)
    return()
  endif()
  set(TESSARO_RC_NAME "${target}")
  set(TESSARO_RC_FILENAME "${target}.exe")
  set(TESSARO_RC_DESCRIPTION "${description}")
  set(TESSARO_RC_ICON "${PROJECT_SOURCE_DIR}/app/window/resources/tessaro.ico")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/windows-resources.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
  # The icon is not seen by CMake's dependency scan of the .rc file.
  set_property(SOURCE "${rc}" APPEND PROPERTY OBJECT_DEPENDS "${TESSARO_RC_ICON}")
endfunction()

# The window's title, as the program shows it (kProgramTitle in app/window/window_texts.h).
# Read whole: file(STRINGS) would end the line at the first non-ASCII byte.
function(tessaro_program_title out)
  file(READ "${PROJECT_SOURCE_DIR}/app/window/window_texts.h" texts)
  if(NOT texts MATCHES "kProgramTitle = \"([^\"]+)\";")
    message(FATAL_ERROR "no kProgramTitle in app/window/window_texts.h")
  endif()
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()
