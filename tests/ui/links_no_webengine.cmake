# cmake -DPROGRAM=<editor> -DMODULE=<browser module> -P links_no_webengine.cmake
# The editor must start without the web engine's libraries; only the browser module loads them.
function(shared_libraries file result)
  execute_process(COMMAND ldd ${file} OUTPUT_VARIABLE listing ERROR_VARIABLE problem
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "ldd ${file} failed: ${problem}")
  endif()
  set(${result} "${listing}" PARENT_SCOPE)
endfunction()

shared_libraries(${PROGRAM} program_libraries)
if(NOT program_libraries MATCHES "libQt6Widgets")
  message(FATAL_ERROR "ldd did not list the editor's libraries:\n${program_libraries}")
endif()
string(TOLOWER "${program_libraries}" program_lower)
if(program_lower MATCHES "webengine")
  message(FATAL_ERROR "the editor links the web engine:\n${program_libraries}")
endif()

shared_libraries(${MODULE} module_libraries)
if(NOT module_libraries MATCHES "libQt6WebEngineWidgets")
  message(FATAL_ERROR "the browser module does not link the web engine:\n${module_libraries}")
endif()
