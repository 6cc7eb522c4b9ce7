# What `cmake --install` puts where, and the Debian package built from it
# by CPack (`make package`). Installed under /usr:
#   bin/zelo8051, bin/z51
#   share/zelo8051/                   the examples, 8051.LIB and the boards
#   share/applications, share/icons, share/metainfo   the menu entry
#   share/man/man1/zelo8051.1.gz, z51.1.gz
#   share/doc/zelo8051/copyright, changelog.gz
set(ZELO_MAINTAINER "ZELO8051 developers <maintainers@users.noreply.c-seed-b0baf383.example>")
set(_pkg_src ${PROJECT_SOURCE_DIR}/packaging)
set(_pkg_out ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_pkg_out})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${_pkg_src}/changelog ${PROJECT_SOURCE_DIR}/LICENSE)

# The newest changelog entry gives the release date, and must be for the
# version of the project line.
file(STRINGS ${_pkg_src}/changelog _changelog_head LIMIT_COUNT 1)
string(REGEX MATCH "^zelo8051 \\(([^)]+)\\)" _ "${_changelog_head}")
set(ZELO_RELEASE_VERSION "${CMAKE_MATCH_1}")
if(NOT ZELO_RELEASE_VERSION STREQUAL PROJECT_VERSION)
  message(WARNING "packaging/changelog has no entry for ${PROJECT_VERSION} (newest: ${ZELO_RELEASE_VERSION})")
endif()
file(STRINGS ${_pkg_src}/changelog _signature REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX MATCH ", ([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) " _ "${_signature}")
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND _months "${CMAKE_MATCH_2}" _month)
math(EXPR _month "${_month} + 1")
set(_day ${CMAKE_MATCH_1})
string(LENGTH "${_day}" _day_digits)
if(_month LESS 10)
  set(_month "0${_month}")
endif()
if(_day_digits EQUAL 1)
  set(_day "0${_day}")
endif()
set(ZELO_RELEASE_DATE "${CMAKE_MATCH_3}-${_month}-${_day}")
configure_file(${_pkg_src}/zelo8051.metainfo.xml.in ${_pkg_out}/zelo8051.metainfo.xml @ONLY)

# The Debian copyright file: the licence text of LICENSE in the
# machine-readable format (MIT is called "Expat" there).
file(READ ${PROJECT_SOURCE_DIR}/LICENSE _license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" _ "${_license}")
set(_copyright_holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^[^\n]*\n\n[^\n]*\n\n" "" _license_text "${_license}")
string(STRIP "${_license_text}" _license_text)
string(REPLACE "\n\n" "\n.\n" _license_text "${_license_text}")
string(REPLACE "\n" "\n " _license_text "${_license_text}")
file(CONFIGURE OUTPUT ${_pkg_out}/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ZELO8051
Upstream-Contact: ${ZELO_MAINTAINER}

Files: *
Copyright: ${_copyright_holder}
License: Expat
 ${_license_text}
")

install(TARGETS z51 RUNTIME DESTINATION bin)
install(FILES ${_pkg_out}/copyright DESTINATION share/doc/zelo8051)
install(FILES ${_pkg_src}/lintian-overrides DESTINATION share/lintian/overrides RENAME zelo8051)

# The examples as they are in the source tree, without what assembling them
# in place would have left there.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION share/zelo8051
        REGEX "/examples/[^/]+\\.(lst|LST)$" EXCLUDE
        REGEX "\\.(hex|HEX|tsk|TSK)$" EXCLUDE
        REGEX "Dis\\.(asm|lst)$" EXCLUDE
        REGEX "/(Scode8051\\.txt|指令8051\\.lst)$" EXCLUDE
        REGEX "/\\.gitignore$" EXCLUDE)
if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/boards)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/boards/ DESTINATION share/zelo8051/boards)
endif()

# Generated files: the changelog and the man pages compressed as Debian
# wants them (gzip -9n), the icon drawn at the usual sizes.
find_program(ZELO_GZIP gzip)
find_program(ZELO_HELP2MAN help2man)
find_program(ZELO_RSVG_CONVERT rsvg-convert)
set(_generated)
if(ZELO_GZIP)
  add_custom_command(OUTPUT ${_pkg_out}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${_pkg_src}/changelog ${_pkg_out}/changelog
    COMMAND ${ZELO_GZIP} -9nf ${_pkg_out}/changelog
    DEPENDS ${_pkg_src}/changelog VERBATIM)
  list(APPEND _generated ${_pkg_out}/changelog.gz)
  install(FILES ${_pkg_out}/changelog.gz DESTINATION share/doc/zelo8051)
endif()

# help2man reads --help and --version of the built program; the .h2m file
# adds the sections the help text has no room for.
function(zelo_man_page program summary)
  if(NOT (ZELO_HELP2MAN AND ZELO_GZIP))
    return()
  endif()
  set(_page ${_pkg_out}/${program}.1)
  add_custom_command(OUTPUT ${_page}.gz
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${ZELO_HELP2MAN} --no-info --section=1 --name=${summary}
            --version-string=${PROJECT_VERSION}
            --include=${_pkg_src}/${program}.h2m --output=${_page} $<TARGET_FILE:${program}>
    COMMAND ${ZELO_GZIP} -9nf ${_page}
    DEPENDS ${program} ${_pkg_src}/${program}.h2m VERBATIM)
  set(_generated ${_generated} ${_page}.gz PARENT_SCOPE)
  install(FILES ${_page}.gz DESTINATION share/man/man1)
endfunction()

zelo_man_page(z51 "assemble, simulate and disassemble 8051 programs")

if(ZELO_BUILD_GUI)
  install(TARGETS zelo8051 RUNTIME DESTINATION bin)
  zelo_man_page(zelo8051 "teaching workbench for the 8051 microcontroller family")
  install(FILES ${_pkg_src}/zelo8051.desktop DESTINATION share/applications)
  install(FILES ${_pkg_out}/zelo8051.metainfo.xml DESTINATION share/metainfo)
  install(FILES ${_pkg_src}/zelo8051.svg DESTINATION share/icons/hicolor/scalable/apps)
  if(ZELO_RSVG_CONVERT)
    foreach(_size 16 24 32 48 64 128 256)
      set(_png ${_pkg_out}/icons/${_size}x${_size}/zelo8051.png)
      add_custom_command(OUTPUT ${_png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_pkg_out}/icons/${_size}x${_size}
        COMMAND ${ZELO_RSVG_CONVERT} --width=${_size} --height=${_size}
                --output=${_png} ${_pkg_src}/zelo8051.svg
        DEPENDS ${_pkg_src}/zelo8051.svg VERBATIM)
      list(APPEND _generated ${_png})
      install(FILES ${_png} DESTINATION share/icons/hicolor/${_size}x${_size}/apps)
    endforeach()
  else()
    message(STATUS "rsvg-convert not found: the package gets the scalable icon only")
  endif()
endif()
if(NOT (ZELO_HELP2MAN AND ZELO_GZIP))
  message(STATUS "help2man or gzip not found: no man pages")
endif()
add_custom_target(zelo_package_files ALL DEPENDS ${_generated})

# A stripping install (the package's) also drops the sections that only
# name the compiler, as Debian's own packaging does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(_program z51 zelo8051)
      set(_file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/\${_program}\")
      if(EXISTS \"\${_file}\")
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note \"\${_file}\")
      endif()
    endforeach()
  endif()")

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelo8051)
set(CPACK_PACKAGE_VENDOR "ZELO8051 developers")
set(CPACK_PACKAGE_CONTACT "${ZELO_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "teaching workbench for the 8051 microcontroller family")
set(CPACK_PACKAGE_DESCRIPTION
"ZELO8051 is a desktop workbench for learning to program the 8051, the 8052
and the 20-pin 89Cx051 in assembly language. It assembles a source in two
rounds into a listing, an Intel HEX file and a binary task file, loads the
code into a simulated chip and steps or runs it while showing internal RAM
and the special function registers bit by bit, undefined bits as x, the
counters, the chip's pins and how the program set up its timers, serial port
and interrupts. HEX and task files disassemble back into labelled source.

The z51 command-line tool assembles, runs and disassembles the same way for
scripts and grading.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's libraries only recommend the plugin that opens windows on X11 and
# Wayland; without it the workbench cannot start. The texts of the window
# need a font with Traditional Chinese.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
