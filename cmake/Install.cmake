# Installation (cmake --install) and the Debian package (cpack -G DEB).
#
# What is installed: the programs kxsaver, kxpack and kxrender in bin/, the manual pages, and
# the demo screensaver as kxsaver-demo in the layout the screensaver daemons read
# (libexec/xscreensaver/, share/xscreensaver/config/, share/applications/screensavers/).
# `kxpack install` writes that layout, so the installed demo is what a user's own
# `kxpack install --prefix` would give; its paths name the final prefix even when the
# files are staged under DESTDIR for a package.
#
# Installed programs carry no debug information: `cmake --install --strip` and the package
# strip the three programs, and the demo is packed by `kxpack build`, which copies the engine
# without its debug sections (a finished screensaver must not be twenty times the engine).

install(TARGETS kxsaver kxpack kxrender RUNTIME DESTINATION bin)
install(FILES ${CMAKE_SOURCE_DIR}/doc/kxsaver.6 DESTINATION share/man/man6)
install(FILES ${CMAKE_SOURCE_DIR}/doc/kxpack.1 DESTINATION share/man/man1)
# How the demo gets into xscreensaver's list: the package cannot put it there itself.
install(FILES ${CMAKE_SOURCE_DIR}/doc/README.xscreensaver DESTINATION share/doc/kxsaver)

install(CODE "
  set(kx_stage \"\$ENV{DESTDIR}\")
  set(kx_args)
  if(kx_stage)
    set(kx_args --destdir \"\${kx_stage}\")
  endif()
  message(STATUS \"Installing: the demo screensaver as kxsaver-demo in \${CMAKE_INSTALL_PREFIX}\")
  execute_process(
    COMMAND \"$<TARGET_FILE:kxpack>\" install \"${CMAKE_BINARY_DIR}/Demo.scr\" --name kxsaver-demo
            --prefix \"\${CMAKE_INSTALL_PREFIX}\" \${kx_args}
    RESULT_VARIABLE kx_result)
  if(NOT kx_result EQUAL 0)
    message(FATAL_ERROR \"kxpack install of the demo screensaver failed\")
  endif()
  foreach(kx_file libexec/xscreensaver/kxsaver-demo share/xscreensaver/config/kxsaver-demo.xml
                  share/applications/screensavers/kxsaver-demo.desktop)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/\${kx_file}\")
  endforeach()
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kxsaver)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "kxsaver developers <kxsaver@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Screensaver engine: shows of pictures and animated water scenes")
set(CPACK_PACKAGE_DESCRIPTION
    "kxsaver plays shows of still pictures and animated water scenes with transitions and music\n as a screensaver for xscreensaver, MATE and Xfce. kxpack packs and installs screensavers,\n kxrender draws what the engine draws without a display. Includes the demo screensaver\n kxsaver-demo.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Staged with DESTDIR so that the paths inside the demo's settings panel and desktop entry
# name /usr, not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver | mate-screensaver | xfce4-screensaver")
include(CPack)
