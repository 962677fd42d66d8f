# What `cmake --install` puts in place and `cpack -G DEB` packs (scripts/package): the three
# programs, the udev rule, the desktop entry and its icon, a manual page per program made from
# its own --help and --version, bash completion for zmx7730-cli, the copyright file and the
# changelog. The benchmark, the screenshot tool and the tests stay out.

set(ZMX_PACKAGE_CONTACT "ZMX7730 tool developers <zmx7730@example.invalid>")
set(ZMX_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(ZMX_PROGRAMS zmx7730-gui zmx7730-cli zmx7730-sim)
set(ZMX_DOC_DIR share/doc/zmx7730)

install(TARGETS ${ZMX_PROGRAMS} RUNTIME DESTINATION bin)
install(FILES ${ZMX_PACKAGING_DIR}/udev/99-zmx7730-lk200.rules DESTINATION lib/udev/rules.d)
install(FILES ${ZMX_PACKAGING_DIR}/desktop/zmx7730.desktop DESTINATION share/applications)
install(FILES ${ZMX_PACKAGING_DIR}/desktop/zmx7730.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${ZMX_PACKAGING_DIR}/completion/zmx7730-cli DESTINATION share/bash-completion/completions)
install(FILES ${ZMX_PACKAGING_DIR}/doc/copyright DESTINATION ${ZMX_DOC_DIR})

# Generated files: the manual pages (help2man runs each program's --help and --version, so a
# page never disagrees with its program) and the changelog Debian wants beside the copyright.
# Both are gzip -9n: no name or time stamp in the archive, so a rebuild gives the same bytes.
set(ZMX_GENERATED_DIR ${CMAKE_BINARY_DIR}/packaging)
set(ZMX_GENERATED_FILES)

# One line of the NAME section per program.
set(ZMX_MAN_NAME_zmx7730-gui "window for a ZMX7730 battery-monitor stack behind an LK200 USB-to-SPI controller")
set(ZMX_MAN_NAME_zmx7730-cli "device commands and recordings of a ZMX7730 battery-monitor stack, without a window")
set(ZMX_MAN_NAME_zmx7730-sim "simulated LK200 controller and ZMX7730 stack on a pseudo-terminal")

find_program(ZMX_HELP2MAN help2man)
if(ZMX_HELP2MAN)
  foreach(program IN LISTS ZMX_PROGRAMS)
    set(page ${ZMX_GENERATED_DIR}/${program}.1)
    set(include ${ZMX_PACKAGING_DIR}/man/${program}.h2m)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND ${ZMX_HELP2MAN} --no-info --section=1 "--name=${ZMX_MAN_NAME_${program}}" --include=${include}
              --output=${page} $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${program} ${include}
      COMMENT "Manual page of ${program}"
      VERBATIM)
    list(APPEND ZMX_GENERATED_FILES ${page}.gz)
    install(FILES ${page}.gz DESTINATION share/man/man1)
  endforeach()
else()
  message(WARNING "help2man not found: no manual pages are made or installed (scripts/deps installs it)")
endif()

# A native package's changelog: one entry for this version, dated by SOURCE_DATE_EPOCH when
# set (reproducible builds) or else the day of configuring.
string(TIMESTAMP ZMX_CHANGELOG_DATE "%a, %d %b %Y 00:00:00 +0000" UTC)
configure_file(${ZMX_PACKAGING_DIR}/doc/changelog.in ${ZMX_GENERATED_DIR}/changelog @ONLY)
add_custom_command(
  OUTPUT ${ZMX_GENERATED_DIR}/changelog.gz
  COMMAND gzip -9nkf ${ZMX_GENERATED_DIR}/changelog
  DEPENDS ${ZMX_GENERATED_DIR}/changelog
  VERBATIM)
list(APPEND ZMX_GENERATED_FILES ${ZMX_GENERATED_DIR}/changelog.gz)
install(FILES ${ZMX_GENERATED_DIR}/changelog.gz DESTINATION ${ZMX_DOC_DIR})

# Part of the ordinary build so that `cmake --install` finds them; the sanitizer build leaves
# them out (its programs are for the tests, and help2man would run them under the sanitizers).
if(ZMX_SANITIZE)
  add_custom_target(zmx7730-package-files DEPENDS ${ZMX_GENERATED_FILES})
else()
  add_custom_target(zmx7730-package-files ALL DEPENDS ${ZMX_GENERATED_FILES})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zmx7730)
set(CPACK_PACKAGE_VENDOR "The ZMX7730 tool developers")
set(CPACK_PACKAGE_CONTACT ${ZMX_PACKAGE_CONTACT})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "evaluate and monitor ZMX7730 battery-stack monitor chips")
# CPack indents these lines and marks the empty one as Debian's control format asks.
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop tool and a command line for a daisy-chained stack of ZMX7730
battery-stack monitor chips (1 to 10 boards, 12 cells each) behind an
LK200 USB-to-SPI controller (an FTDI chip, reached through the serial
driver, libftdi1 or the vendor's D2XX library).

zmx7730-gui shows cell voltages, flags, temperatures and the configuration
read back, writes configurations, runs the continuous mode and the self
tests, and records every read to SQLite or PostgreSQL. zmx7730-cli runs
the same commands from scripts and exports recordings as CSV or a
workbook. zmx7730-sim serves a simulated controller and stack on a
pseudo-terminal, so everything can be tried without hardware.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its SQL drivers as plugins, which the library scan cannot see: recordings go to an
# SQLite file by default, PostgreSQL only when asked for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
