# cmake -DBUILD=<build tree> -DWORK=<scratch folder> -P desktop_check.cmake
# The install step puts a valid desktop entry for the program and the flock files' MIME type in
# place, and brings the MIME and desktop databases up to date, so a file manager opens a flock.
find_program(VALIDATE desktop-file-validate REQUIRED)
set(prefix /opt/corvalen)
set(root ${WORK}/root)
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${root} ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed:\n${out}${err}")
endif()
set(share ${root}${prefix}/share)

execute_process(COMMAND ${VALIDATE} ${share}/applications/corvalen.desktop
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
  message(FATAL_ERROR "desktop entry refused:\n${out}${err}")
endif()
file(READ ${share}/applications/corvalen.desktop entry)
if(NOT entry MATCHES "\nMimeType=application/x-corvalen-flock;\n")
  message(FATAL_ERROR "the desktop entry does not open flocks:\n${entry}")
endif()
if(NOT entry MATCHES "\nExec=\"${prefix}/bin/Dedov\" %f\n")
  message(FATAL_ERROR "the desktop entry does not start the installed program with the file:\n${entry}")
endif()

file(READ ${share}/mime/globs2 globs)
if(NOT globs MATCHES ":application/x-corvalen-flock:\\*\\.cvl")
  message(FATAL_ERROR "*.cvl is not given the flock type:\n${globs}")
endif()
file(READ ${share}/applications/mimeinfo.cache cache)
if(NOT cache MATCHES "application/x-corvalen-flock=corvalen.desktop;")
  message(FATAL_ERROR "the desktop database does not name the program for flocks:\n${cache}")
endif()
file(REMOVE_RECURSE ${WORK})
