# The Debian package. In a build configured for /usr (the "package" preset:
# optimised, no self-update, no tests or benchmarks)
#
#   cmake --preset package && cmake --build --preset package && cpack --preset package
#
# writes build/package/tonvikmusic_<version>_amd64.deb from what cmake
# --install puts in place (TonvikInstall.cmake), stripped, with its
# dependencies computed from the binaries by dpkg-shlibdeps.
include(GNUInstallDirs)

set(TONVIK_PACKAGE_NAME "tonvikmusic")
set(TONVIK_PACKAGE_MAINTAINER "Velora <packages@velora.example>")
set(TONVIK_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/${TONVIK_PACKAGE_NAME}")

# tonvik_rfc2822_date(<yyyy-mm-dd> <var>): the day as a change log writes it,
# "Mon, 07 Dec 2026 00:00:00 +0000".
function(tonvik_rfc2822_date iso var)
  if(NOT iso MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "Not a date: ${iso}")
  endif()
  set(year_text "${CMAKE_MATCH_1}")
  set(month_text "${CMAKE_MATCH_2}")
  set(day_text "${CMAKE_MATCH_3}")
  string(REGEX REPLACE "^0" "" year "${year_text}")
  string(REGEX REPLACE "^0" "" month "${month_text}")
  string(REGEX REPLACE "^0" "" day "${day_text}")
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  math(EXPR month_index "${month} - 1")
  list(GET months ${month_index} month_name)
  # Zeller's congruence: 0 is Saturday.
  if(month LESS 3)
    math(EXPR month "${month} + 12")
    math(EXPR year "${year} - 1")
  endif()
  math(EXPR weekday "(${day} + (13 * (${month} + 1)) / 5 + ${year} % 100 + (${year} % 100) / 4 + (${year} / 100) / 4 + 5 * (${year} / 100)) % 7")
  set(weekdays Sat Sun Mon Tue Wed Thu Fri)
  list(GET weekdays ${weekday} weekday_name)
  set(${var} "${weekday_name}, ${day_text} ${month_name} ${year_text} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

# The manual page and the change log, compressed as Debian keeps them
# (gzip -9n: no name, no time stamp, the same bytes each build).
tonvik_rfc2822_date("${TONVIK_RELEASE_DATE}" TONVIK_RELEASE_DATE_RFC2822)
set(packaging "${CMAKE_BINARY_DIR}/packaging")
configure_file("${PROJECT_SOURCE_DIR}/packaging/changelog.in" "${packaging}/changelog" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/packaging/tonvikmusic.1.in" "${packaging}/tonvikmusic.1" @ONLY)
find_program(TONVIK_GZIP gzip)
if(TONVIK_GZIP)
  set(compressed)
  foreach(file IN ITEMS changelog tonvikmusic.1)
    add_custom_command(OUTPUT "${packaging}/${file}.gz"
      COMMAND "${TONVIK_GZIP}" -9nc "${packaging}/${file}" > "${packaging}/${file}.gz"
      DEPENDS "${packaging}/${file}"
      COMMENT "Compressing ${file}")
    list(APPEND compressed "${packaging}/${file}.gz")
  endforeach()
  add_custom_target(tonvik_package_docs ALL DEPENDS ${compressed})
  install(FILES "${packaging}/tonvikmusic.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
  # A package whose version has no Debian revision keeps its change log as
  # changelog.gz.
  install(FILES "${packaging}/changelog.gz" DESTINATION "${TONVIK_DOC_DIR}")
else()
  message(STATUS "gzip not found: the manual page and the change log are not installed")
endif()
install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright" DESTINATION "${TONVIK_DOC_DIR}")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "${TONVIK_PACKAGE_NAME}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Velora")
set(CPACK_PACKAGE_CONTACT "${TONVIK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "skinned player for an online music service")
set(CPACK_PACKAGE_DESCRIPTION
  "TonvikMusic streams the songs of its online music service, keeps a play\n"
  "list of up to 50 songs played on by one of five play modes, shows each\n"
  "song's lyric in step with playback, keeps albums on the service for a\n"
  "signed-in user and shows the service's catalogue pages, whose song links\n"
  "go straight into the play list. It answers the desktop's media keys and\n"
  "sound menu.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "sound")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TONVIK_HOMEPAGE}")
# Dependencies from the binaries; the libraries of the program folder are
# the package's own.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps runs in the package's staging folder, so the program
# folder is named relative to it.
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "^/+" "" staged_program_dir "${CMAKE_INSTALL_PREFIX}/${TONVIK_INSTALL_PROGRAM_DIR}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${staged_program_dir}")
# What the binaries do not name: the media framework's plug-ins that play
# the service's streams (playbin, the HTTP source, the decoders).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
# Native Wayland (the program prefers X11 where an X server is at hand),
# and the media keys and notes need a session bus.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, dbus-user-session | dbus-x11")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
