# Install rules and the Debian package: `cmake --build <build> --target package`.
include(GNUInstallDirs)

set(TAVRIN_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(TAVRIN_SHARE ${CMAKE_INSTALL_DATADIR}/tavrin)

# Debian's hardening flags for the program's own code. Not under the sanitizers, which FORTIFY's
# checked functions would get in the way of; optimisation and debug information stay the build
# type's, and FORTIFY, which needs optimisation, stays out of a Debug build.
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
set(TAVRIN_HARDENED OFF)
if(DPKG_BUILDFLAGS AND NOT TAVRIN_SANITIZE AND NOT TAVRIN_FUZZ)
  set(TAVRIN_HARDENED ON)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env
              "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-all $ENV{DEB_BUILD_MAINT_OPTIONS}"
              ${DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-[Og]")
    set(TAVRIN_HARDENING_${kind} ${flags})
  endforeach()
  foreach(target tavrin_core tavrin_ui tavrin)
    target_compile_options(${target} PRIVATE
      "$<$<NOT:$<CONFIG:Debug>>:${TAVRIN_HARDENING_CPPFLAGS}>" ${TAVRIN_HARDENING_CXXFLAGS})
  endforeach()
  target_link_options(tavrin PRIVATE ${TAVRIN_HARDENING_LDFLAGS})
endif()

install(TARGETS tavrin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped program loses the compilers' notes too, as dh_strip does.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tavrin\"
                  COMMAND_ERROR_IS_FATAL ANY)
endif()")
install(FILES ${TAVRIN_PACKAGING}/tavrin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Its id is the project's address reversed, as AppStream wants; the desktop file keeps the
# program's name, which is also the window class X11 desktops match it by.
install(FILES ${TAVRIN_PACKAGING}/org.example.tavrin.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon in the hicolor theme, drawn by the program's own code. The drawing tool is no part of
# the product: a sanitizer build does not check it for leaks.
set(TAVRIN_ICON_SIZES 16 32 48 64 128 256)
add_executable(make_icons ${TAVRIN_PACKAGING}/make_icons.cpp)
target_link_libraries(make_icons PRIVATE tavrin_ui)
set(TAVRIN_ICONS_DIR ${CMAKE_BINARY_DIR}/icons)
set(TAVRIN_ICON_FILES)
foreach(size ${TAVRIN_ICON_SIZES})
  list(APPEND TAVRIN_ICON_FILES ${TAVRIN_ICONS_DIR}/${size}x${size}/apps/tavrin.png)
endforeach()
add_custom_command(OUTPUT ${TAVRIN_ICON_FILES}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORMTHEME=
          ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:make_icons> ${TAVRIN_ICONS_DIR} ${TAVRIN_ICON_SIZES}
  DEPENDS make_icons
  VERBATIM)
add_custom_target(tavrin_icons ALL DEPENDS ${TAVRIN_ICON_FILES})
install(DIRECTORY ${TAVRIN_ICONS_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
# The same picture drawn by hand; e2e_package checks that the two still look alike.
install(FILES ${TAVRIN_PACKAGING}/tavrin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Qt's Japanese texts come with the program, so the installed copy needs no translations package.
find_package(Qt6 REQUIRED COMPONENTS Core)
get_target_property(TAVRIN_QMAKE Qt6::qmake IMPORTED_LOCATION)
execute_process(COMMAND ${TAVRIN_QMAKE} -query QT_INSTALL_TRANSLATIONS
                OUTPUT_VARIABLE TAVRIN_QT_TRANSLATIONS OUTPUT_STRIP_TRAILING_WHITESPACE)
set(TAVRIN_QTBASE_JA ${TAVRIN_QT_TRANSLATIONS}/qtbase_ja.qm)
if(EXISTS ${TAVRIN_QTBASE_JA})
  install(FILES ${TAVRIN_QTBASE_JA} DESTINATION ${TAVRIN_SHARE}/translations)
else()
  message(WARNING "${TAVRIN_QTBASE_JA} not found: the package will lack Qt's Japanese texts")
endif()

# The manual: beside the executable in the build folder, as a portable copy has it, and in
# share/tavrin/help once installed. Files removed from help/ leave the build's copy too.
file(GLOB_RECURSE TAVRIN_HELP_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*)
set(TAVRIN_HELP_STAMP ${CMAKE_BINARY_DIR}/CMakeFiles/help.stamp)
add_custom_command(OUTPUT ${TAVRIN_HELP_STAMP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/help
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/help ${CMAKE_BINARY_DIR}/help
  COMMAND ${CMAKE_COMMAND} -E touch ${TAVRIN_HELP_STAMP}
  DEPENDS ${TAVRIN_HELP_FILES}
  VERBATIM)
add_custom_target(tavrin_help ALL DEPENDS ${TAVRIN_HELP_STAMP})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${TAVRIN_SHARE}/help)

# Debian's documentation files: the licence, and the changelog and manual page compressed
# without a time stamp.
find_program(GZIP gzip REQUIRED)
foreach(name changelog tavrin.1)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name}.gz
    COMMAND ${GZIP} -9n -c ${TAVRIN_PACKAGING}/${name} > ${CMAKE_BINARY_DIR}/${name}.gz
    DEPENDS ${TAVRIN_PACKAGING}/${name})
endforeach()
add_custom_target(tavrin_docs ALL
  DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz ${CMAKE_BINARY_DIR}/tavrin.1.gz)
install(FILES ${TAVRIN_PACKAGING}/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavrin)
install(FILES ${CMAKE_BINARY_DIR}/tavrin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TAVRIN_PACKAGING}/tavrin.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tavrin)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VENDOR "Tavrin developers")
set(CPACK_PACKAGE_CONTACT "Tavrin developers <developers@tavrin.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "catalogue and launcher for RPG Tsukuru 2000/95 game projects")
set(CPACK_PACKAGE_DESCRIPTION
    "Tavrin keeps RPG Tsukuru 2000 and 95 game projects in a catalogue of user-named
folders, finds them in folder trees and starts the games and their editors
under Wine. Its interface is Japanese.
.
RPGツクール2000/95 の作品をフォルダに分けて整理し、フォルダの中から探し、
ゲームとエディタを Wine で起動します。")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tavrin.example.org/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": lintian wants a game of that section in /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps's libraries, and xdg-open, through which the manual, folders, documents and
# web addresses open. CPack puts the two together.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS xdg-utils)
# Every game runtime and editor is a 32-bit program.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wine, wine32:i386")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
