# Install rules and CPack packages: on Linux the program, its manual page and
# documentation under the usual prefix, packed as a Debian package; on Windows
# the .exe, the README as text and the example, packed as a zip.
include(GNUInstallDirs)

# "cmake --install" and cpack install what is built; the packaging scripts
# build the program alone instead of every test and benchmark.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_PACKAGE_NAME cuestrip)
set(CPACK_PACKAGE_VENDOR "cuestrip")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "show a video's subtitles as text lines in a console while a player plays it")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS cuestrip RUNTIME DESTINATION .)
  install(FILES README.md DESTINATION . RENAME README.txt)
  install(FILES examples/night-train.txt examples/README.md DESTINATION examples)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME cuestrip-${PROJECT_VERSION}-win64)
else()
  install(TARGETS cuestrip RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Manual pages are installed compressed, as Debian's policy asks.
  set(CUESTRIP_MANPAGE ${CMAKE_BINARY_DIR}/cuestrip.1.gz)
  add_custom_command(OUTPUT ${CUESTRIP_MANPAGE}
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/docs/cuestrip.1 > ${CUESTRIP_MANPAGE}
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/cuestrip.1 VERBATIM)
  add_custom_target(cuestrip_manpage ALL DEPENDS ${CUESTRIP_MANPAGE})
  add_dependencies(cuestrip cuestrip_manpage)
  install(FILES ${CUESTRIP_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES examples/night-train.txt examples/README.md
    DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # cuestrip_<version>_<arch>.deb
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # dependencies from the linked libraries
  set(CPACK_DEBIAN_PACKAGE_SECTION video)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_PACKAGE_CONTACT "cuestrip maintainers <cuestrip@localhost>")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
cuestrip reads a frame-numbered subtitle script, plays the video through
libmpv and prints every subtitle as it falls due: a speaker name in a
column of its own, the text wrapped to the terminal's width. Single keys
pause, play, stop and seek the video. A screenplay mode prints the whole
script laid out.")
endif()

include(CPack)
