# Install rules: the programs into bin and the desktop files into their freedesktop places. The
# programs need nothing from the source tree at run time, so the installed tree can move anywhere.
set(QUORVEL_APP_ID example.merrow.Quorvel)
option(QUORVEL_DEBIAN_DOCS "Install the Debian copyright file and changelog (for the .deb)" OFF)

install(TARGETS qvltags RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(QUORVEL_BUILD_UI)
  install(TARGETS quorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(QUORVEL_BUILD_WEBVIEW)
    install(TARGETS quorvel_webview LIBRARY DESTINATION ${QUORVEL_MODULE_DIR})
  endif()
  install(FILES data/${QUORVEL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES data/${QUORVEL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES data/${QUORVEL_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
    RENAME ${QUORVEL_APP_ID}.xml)
  install(DIRECTORY resources/app/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

# Man pages compressed the way Debian wants them: maximum compression, no name or time stamp.
find_program(QUORVEL_GZIP gzip)
set(QUORVEL_MAN_PAGES qvltags)
if(QUORVEL_BUILD_UI)
  list(APPEND QUORVEL_MAN_PAGES quorvel)
endif()
foreach(page ${QUORVEL_MAN_PAGES})
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/data/man/${page}.1)
  if(QUORVEL_GZIP)
    set(packed ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${packed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
      COMMAND ${QUORVEL_GZIP} -9n -c ${source} > ${packed}
      DEPENDS ${source} VERBATIM)
    list(APPEND QUORVEL_PACKED_MAN_PAGES ${packed})
    install(FILES ${packed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    install(FILES ${source} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
if(QUORVEL_PACKED_MAN_PAGES)
  add_custom_target(quorvel_man_pages ALL DEPENDS ${QUORVEL_PACKED_MAN_PAGES})
endif()

if(QUORVEL_DEBIAN_DOCS)
  if(NOT QUORVEL_GZIP)
    message(FATAL_ERROR "QUORVEL_DEBIAN_DOCS needs gzip")
  endif()
  set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz)
  add_custom_command(OUTPUT ${changelog}
    COMMAND ${QUORVEL_GZIP} -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/changelog > ${changelog}
    DEPENDS packaging/debian/changelog VERBATIM)
  add_custom_target(quorvel_debian_changelog ALL DEPENDS ${changelog})
  install(FILES packaging/debian/copyright ${changelog}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvel)
endif()

# The installed tree checked as a desktop would see it: validators, the file type through Qt's
# own MIME database, the icons and the command-line tool's help and version.
if(QUORVEL_BUILD_TESTS AND QUORVEL_BUILD_UI)
  add_executable(test_installed_tree tests/install/test_installed_tree.cpp)
  target_link_libraries(test_installed_tree PRIVATE quorvel_core Qt6::Gui Qt6::Test)
  target_compile_options(test_installed_tree PRIVATE ${QUORVEL_WARNINGS})
  add_test(NAME install_tree
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/install/check-install.sh
      ${CMAKE_BINARY_DIR} $<TARGET_FILE:test_installed_tree>)
  set_tests_properties(install_tree PROPERTIES TIMEOUT 120)
endif()
