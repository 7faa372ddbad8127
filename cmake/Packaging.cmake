# The installed program and its packages: `cpack -G DEB` and `cpack -G TGZ` in a build
# folder (scripts/package.sh makes a release build and both). Included after src/, so every
# program defined there is known; a tool joins the packages as soon as its target exists.
#
# The same programs in two layouts, one install component each:
#  - system (the Debian package, `cmake --install`): the programs in lib/wordloom/, the demo
#    store in share/wordloom/store/, the menu entry and the icon where desktops look, and in
#    bin/ the launcher under each program's name. The launcher runs the user's own copy of
#    the program folder, since the store lives beside the executable (packaging/launcher.sh.in).
#  - portable (the .tar.gz): the programs and the demo store in one folder, run where it is
#    unpacked, on the system's Qt.

set(WORDLOOM_INSTALL_PROGRAM_DIR lib/wordloom)
set(WORDLOOM_INSTALL_STORE_DIR share/wordloom/store)
set(WORDLOOM_PROGRAMS wordloom wordloom-generate wordloom-check wordloom-import)

# The launcher is made in every build: the tests try it on programs of their own.
set(WORDLOOM_LAUNCHER ${CMAKE_BINARY_DIR}/packaging/wordloom)
configure_file(${CMAKE_SOURCE_DIR}/packaging/launcher.sh.in ${WORDLOOM_LAUNCHER} @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                   WORLD_READ WORLD_EXECUTE)

# Without the window there is nothing to install: the launcher asks it for the version.
if(NOT TARGET wordloom)
  return()
endif()

foreach(program IN LISTS WORDLOOM_PROGRAMS)
  if(NOT TARGET ${program})
    continue()
  endif()
  install(TARGETS ${program} RUNTIME DESTINATION ${WORDLOOM_INSTALL_PROGRAM_DIR}
          COMPONENT system)
  install(TARGETS ${program} RUNTIME DESTINATION . COMPONENT portable)
  if(program STREQUAL "wordloom")
    install(PROGRAMS ${WORDLOOM_LAUNCHER} DESTINATION bin COMPONENT system)
  else()
    # The launcher again, by its name: it starts the tool of the name it is called by.
    file(CREATE_LINK wordloom ${CMAKE_BINARY_DIR}/packaging/${program} SYMBOLIC)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${program} DESTINATION bin COMPONENT system)
  endif()
endforeach()

install(DIRECTORY ${WORDLOOM_DEMO_STORE_SOURCE}/ DESTINATION ${WORDLOOM_INSTALL_STORE_DIR}
        COMPONENT system)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/wordloom.desktop DESTINATION share/applications
        COMPONENT system)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/wordloom.svg
        DESTINATION share/icons/hicolor/scalable/apps COMPONENT system)

install(DIRECTORY ${WORDLOOM_DEMO_STORE_SOURCE}/ DESTINATION . COMPONENT portable)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/wordloom.desktop
              ${CMAKE_SOURCE_DIR}/packaging/wordloom.svg
        DESTINATION . COMPONENT portable)

set(CPACK_PACKAGE_NAME wordloom)
set(CPACK_PACKAGE_VENDOR Wordloom)
set(CPACK_PACKAGE_CONTACT
    "Wordloom maintainers <maintainers@users.noreply.c-seed-76053cce.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "writes web articles from templates, sentence and keyword libraries")
set(CPACK_PACKAGE_DESCRIPTION
    "Wordloom expands article templates into fresh articles: random sentences from sentence \
libraries, random keywords from keyword libraries, then synonym rules. Texts are GBK; the \
interface is in Chinese. The first start copies the program and a demo store into the \
user's data folder (~/.local/share/wordloom), where the user's work stays.")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB TGZ)
# One component per generator (cmake/CPackPerGenerator.cmake picks it), one package each.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/CPackPerGenerator.cmake)

# wordloom_VERSION_ARCH.deb. The libraries the programs link (Qt, the C++ runtime, and
# whatever a tool adds) are read from the programs themselves (dpkg-shlibdeps); the fonts
# and the input method module are used without being linked, so they are named here.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fcitx5-frontend-qt6")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# wordloom-VERSION-linux-ARCH.tar.gz, everything in one folder of that name.
set(CPACK_PACKAGE_FILE_NAME wordloom-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})

include(CPack)
