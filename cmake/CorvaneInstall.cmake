# What `cmake --install` lays out under the prefix, and the Debian package
# CPack makes of it. The program finds its manual in <prefix>/share/vantor-corvane
# and keeps settings and tables in the user's data folder, so nothing under
# the prefix is ever written.
include(GNUInstallDirs)

set(corvane_share ${CMAKE_INSTALL_DATADIR}/vantor-corvane)
set(corvane_programs Corvane corvane-render corvane-table corvane-probe corvane-play corvane-uplink corvane-import
    corvane-schedule corvane-report)

# What the run command builds: the console, its tools and plug-ins, nothing
# of the tests or benchmarks.
add_custom_target(corvane_console_and_tools)
add_dependencies(corvane_console_and_tools ${corvane_programs} corvane_gain corvane_echo)

install(TARGETS ${corvane_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS corvane_gain corvane_echo LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/vantor-corvane/plugins)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/manual/ DESTINATION ${corvane_share}/manual)

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${packaging}/vantor-corvane.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${packaging}/com.vantor.corvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/com.vantor.corvane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
  install(FILES ${packaging}/icons/com.vantor.corvane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME com.vantor.corvane.png)
endforeach()
install(FILES ${packaging}/icons/com.vantor.corvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Man pages and the Debian changelog go compressed, without a time stamp,
# as Debian wants them.
set(compressed ${CMAKE_BINARY_DIR}/packaging)
set(compressed_files)
foreach(program ${corvane_programs})
  list(APPEND compressed_files ${compressed}/${program}.1.gz)
  add_custom_command(OUTPUT ${compressed}/${program}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed}
    COMMAND gzip -9n -c ${packaging}/man/${program}.1 > ${compressed}/${program}.1.gz
    DEPENDS ${packaging}/man/${program}.1
    VERBATIM)
  install(FILES ${compressed}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
list(APPEND compressed_files ${compressed}/changelog.gz)
add_custom_command(OUTPUT ${compressed}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed}
  COMMAND gzip -9n -c ${packaging}/changelog > ${compressed}/changelog.gz
  DEPENDS ${packaging}/changelog
  VERBATIM)
add_custom_target(corvane_packaging_files ALL DEPENDS ${compressed_files})
install(FILES ${compressed}/changelog.gz ${packaging}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantor-corvane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantor-corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vantor Corvane developers")
set(CPACK_PACKAGE_CONTACT "Vantor Corvane developers <corvane@vantor.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "radio broadcast playout console")
# CPack takes the synopsis from the summary and indents the lines below.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vantor Corvane plays a radio station's running schedule of music,
commercials and jingles (WAV and MP3) through one sound output, with
cross-fades, live-assist commands, commercial breaks with a countdown,
timed events and a cart wall fired from the keyboard, around an audio
library with tags and play statistics.

This package holds the console, its command-line tools (corvane-render,
corvane-table, corvane-probe, corvane-play, corvane-uplink,
corvane-import, corvane-schedule, corvane-report), its effect plug-ins and the
operator's manual.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vantor.example.com/corvane")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
