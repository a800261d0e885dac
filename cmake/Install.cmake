# Where an installed Zarvo! puts its files (GNUInstallDirs: `cmake --install build --prefix /usr`
# for a system copy, /usr/local by default). The program, its desktop entry, AppStream metainfo,
# hicolor icons, man page and documents go under the prefix; the autostart entry goes where login
# sessions read it, /etc/xdg/autostart, whatever the prefix (the prefix's own etc/xdg is not read
# by sessions), below DESTDIR when one is given.
include(GNUInstallDirs)

set(ZARVO_APP_ID com.pelmark.Zarvo)
set(ZARVO_AUTOSTART_DIR "/etc/xdg/autostart" CACHE PATH
    "Folder of the autostart entry (an absolute path; below DESTDIR when one is set)")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(desktop ${PROJECT_SOURCE_DIR}/resources/desktop)
set(icons ${PROJECT_SOURCE_DIR}/resources/icons)

install(FILES ${desktop}/${ZARVO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop}/${ZARVO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The same file name as the user's override that "Start at login" writes or removes.
install(FILES ${desktop}/${ZARVO_APP_ID}.autostart.desktop DESTINATION ${ZARVO_AUTOSTART_DIR}
    RENAME ${ZARVO_APP_ID}.desktop)

foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${icons}/hicolor/${size}x${size}/${ZARVO_APP_ID}.png
                  ${icons}/hicolor/${size}x${size}/${ZARVO_APP_ID}-disabled.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${icons}/${ZARVO_APP_ID}.svg ${icons}/${ZARVO_APP_ID}-disabled.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The man page and the change log are installed compressed, as Debian and most systems keep them
# (-n: no name or time stamp inside, so the package is the same from one build to the next).
find_program(GZIP_PROGRAM gzip REQUIRED)
set(compressed)
foreach(pair "${desktop}/zarvo.1|zarvo.1.gz" "${PROJECT_SOURCE_DIR}/packaging/changelog|changelog.gz")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 target)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${target}
        COMMAND ${GZIP_PROGRAM} -9nc ${source} > ${PROJECT_BINARY_DIR}/${target}
        DEPENDS ${source} VERBATIM)
    list(APPEND compressed ${PROJECT_BINARY_DIR}/${target})
endforeach()
add_custom_target(zarvo_docs ALL DEPENDS ${compressed})
install(FILES ${PROJECT_BINARY_DIR}/zarvo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
