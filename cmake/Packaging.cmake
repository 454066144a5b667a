# The installed layout and the Debian package (CPack's DEB generator).
# Installed, the executable lies in <prefix>/games and the recordings, effects
# and music in <prefix>/share/games/korvel, where the program finds them
# relative to its own folder; each player's settings, read-me and saved games
# go to their own data folder. Build it with scripts/package.sh.

set(KORVEL_APP_ID "ru.korvel.Korvel")
set(KORVEL_DATA_DESTINATION "share/games/korvel")

install(TARGETS korvel RUNTIME DESTINATION games)
install(DIRECTORY "${KORVEL_PROGRAM_DIR}/Speaks" "${KORVEL_PROGRAM_DIR}/Sounds"
                  "${KORVEL_PROGRAM_DIR}/Musics"
        DESTINATION "${KORVEL_DATA_DESTINATION}")

set(KORVEL_INSTALLED_EXECUTABLE "${CMAKE_INSTALL_PREFIX}/games/korvel")
configure_file("${PROJECT_SOURCE_DIR}/packaging/korvel.desktop.in"
               "${CMAKE_BINARY_DIR}/packaging/${KORVEL_APP_ID}.desktop" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/packaging/korvel.metainfo.xml.in"
               "${CMAKE_BINARY_DIR}/packaging/${KORVEL_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${CMAKE_BINARY_DIR}/packaging/${KORVEL_APP_ID}.desktop"
        DESTINATION share/applications)
install(FILES "${CMAKE_BINARY_DIR}/packaging/${KORVEL_APP_ID}.metainfo.xml"
        DESTINATION share/metainfo)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/korvel.svg"
        DESTINATION share/icons/hicolor/scalable/apps RENAME "${KORVEL_APP_ID}.svg")
install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION share/doc/korvel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Korvel developers <korvel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-voicing Reversi for blind and low-vision players")
set(CPACK_PACKAGE_DESCRIPTION
    "Korvel is Reversi (Othello) played entirely by keyboard and ear, with all its\n"
    "texts in Russian. A recorded announcer speaks the menus, the cursor cell,\n"
    "turns, clocks and results. Positional effects place every click on the\n"
    "board, music loops during play and a speech synthesizer reads the rules.\n"
    "One or two people play at one keyboard, or a person plays the computer at\n"
    "four levels, in single, timed and staged matches.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries are found by dpkg-shlibdeps; what the program loads
# by name is listed here: the General MIDI sound font of the music, and the
# speech daemon with its espeak-ng voices and Qt's plugin for it, which read
# the rules aloud. SoundTouch, which changes the announcer's speed, and the
# UPnP and NAT-PMP libraries that ask the router for the host's port are named
# too, though dpkg-shlibdeps finds them as well.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "timgm6mb-soundfont, libsoundtouch1, libminiupnpc17, libnatpmp1, speech-dispatcher, speech-dispatcher-espeak-ng, qt6-speech-speechd-plugin")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
