# cmake --install: the program folder as the program expects it (the player,
# its close tool and web engine, the update library with its engine, the
# skins and shipped files beside them) under <libdir>/tonvikmusic, a
# "tonvikmusic" command in <bindir>, and the desktop entry, icons and
# AppStream data in their places.
include(GNUInstallDirs)

set(TONVIK_INSTALL_PROGRAM_DIR "${CMAKE_INSTALL_LIBDIR}/tonvikmusic")

install(TARGETS TonvikMusic TonvikClose TonvikWebEngine Patchwell PatchwellEngine
  RUNTIME DESTINATION "${TONVIK_INSTALL_PROGRAM_DIR}"
  LIBRARY DESTINATION "${TONVIK_INSTALL_PROGRAM_DIR}")
foreach(folder IN ITEMS Skin2 Skin res html Update)
  install(DIRECTORY "${PROJECT_SOURCE_DIR}/data/${folder}" DESTINATION "${TONVIK_INSTALL_PROGRAM_DIR}")
endforeach()
# The marker beside the program: an installed copy keeps what it writes in
# the user's folders, whoever runs it (the superuser may write here too).
file(WRITE "${CMAKE_BINARY_DIR}/TonvikMusic.installed"
  "This copy of TonvikMusic was installed: it keeps the files it writes in the user's folders.\n")
install(FILES "${CMAKE_BINARY_DIR}/TonvikMusic.installed" DESTINATION "${TONVIK_INSTALL_PROGRAM_DIR}")

# The command finds the program through a relative link; the program finds
# its folder through the link's target.
install(CODE "
  set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(MAKE_DIRECTORY \"\${bin}\")
  file(RELATIVE_PATH target \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\"
       \"\${CMAKE_INSTALL_PREFIX}/${TONVIK_INSTALL_PROGRAM_DIR}/TonvikMusic\")
  message(STATUS \"Installing: \${bin}/tonvikmusic -> \${target}\")
  file(CREATE_LINK \"\${target}\" \"\${bin}/tonvikmusic\" SYMBOLIC)
")

install(FILES "${PROJECT_SOURCE_DIR}/data/desktop/${TONVIK_APP_ID}.desktop"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${TONVIK_METAINFO_FILE}"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/data/icons/hicolor" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons")
