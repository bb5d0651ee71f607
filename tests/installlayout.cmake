# Installs the build into an empty STAGE and checks that every piece a desktop needs is there.
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${STAGE}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(file bin/tervan bin/tervan-cli lib/tervan/libtervan-gis.so share/applications/tervan.desktop
             share/icons/hicolor/scalable/apps/tervan.svg share/mime/packages/tervan.xml
             share/tervan/samples/housing-lot.gnd share/tervan/samples/housing-lot.nod)
  if(NOT EXISTS ${STAGE}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
# Both programs answer --version without a display.
foreach(program tervan tervan-cli)
  execute_process(COMMAND ${STAGE}/bin/${program} --version OUTPUT_VARIABLE version
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT version MATCHES "^${program} [0-9]")
    message(FATAL_ERROR "installed ${program} --version: ${status} ${version}")
  endif()
endforeach()
