# The window program's runtime on Windows with MinGW-w64, where there is no windeployqt (the Qt
# that scripts/windows-qt builds has none): Qt's libraries, the plugins the window loads and the
# compiler's runtime libraries that Qt's DLLs need. They are copied beside the programs in the
# build, so that bin/vexaro-link.exe runs as it is, and installed beside them; nothing else is.
# The offscreen platform is copied for the tests only.

set(qt_libraries Qt6::Core Qt6::Gui Qt6::Widgets)
set(qt_plugins
    platforms Qt6::QWindowsIntegrationPlugin
    styles Qt6::QWindowsVistaStylePlugin
    imageformats Qt6::QICOPlugin)

# The compiler's own: found where it links them from.
set(compiler_runtime)
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is; the window "
                        "program cannot run without it")
  endif()
  list(APPEND compiler_runtime ${path})
endforeach()

set(copies)
foreach(library ${qt_libraries})
  list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${library}>
                             $<TARGET_FILE_DIR:vexaro-link>)
  install(FILES $<TARGET_FILE:${library}> DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different ${compiler_runtime}
                           $<TARGET_FILE_DIR:vexaro-link>)
install(FILES ${compiler_runtime} DESTINATION ${CMAKE_INSTALL_BINDIR})
while(qt_plugins)
  list(POP_FRONT qt_plugins folder plugin)
  list(APPEND copies
       COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:vexaro-link>/${folder}
       COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${plugin}>
               $<TARGET_FILE_DIR:vexaro-link>/${folder})
  install(FILES $<TARGET_FILE:${plugin}> DESTINATION ${CMAKE_INSTALL_BINDIR}/${folder})
endwhile()
if(TARGET Qt6::QOffscreenIntegrationPlugin)
  list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different
                             $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>
                             $<TARGET_FILE_DIR:vexaro-link>/platforms)
endif()
add_custom_command(TARGET vexaro-link POST_BUILD ${copies} VERBATIM)
