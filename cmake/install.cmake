# Install rules and the Debian package (cpack -G DEB, see scripts/package.sh).
#
# The programs load the Japanese library from their own folder (symbolic links
# resolved), so vela and vela-cli live with it in a private folder and /usr/bin
# holds links to them. The folder is under libexec: a library under lib/ would
# make CPack call ldconfig for a library no other program links.
set(VELA_RELEASE_DATE "2026-12-10")
set(VELA_RELEASE_DATE_RFC2822 "Thu, 10 Dec 2026 12:00:00 +0000")
set(VELA_APP_ID "com.vantorix.vela")
set(VELA_PRIVATE_DIR "libexec/vela")
set(VELA_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package-files)
set(VELA_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS VELA_jpn LIBRARY DESTINATION ${VELA_PRIVATE_DIR}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(MAKE_DIRECTORY ${VELA_PACKAGE_DIR}/bin)
foreach(program vela vela-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${VELA_PRIVATE_DIR})
    file(CREATE_LINK ../${VELA_PRIVATE_DIR}/${program} ${VELA_PACKAGE_DIR}/bin/${program} SYMBOLIC)
    install(FILES ${VELA_PACKAGE_DIR}/bin/${program} DESTINATION bin)
  endif()
endforeach()
if(TARGET kt5rs-sim)
  install(TARGETS kt5rs-sim RUNTIME DESTINATION bin)
endif()

# Manual pages, compressed as Debian wants them.
find_program(VELA_GZIP gzip REQUIRED)
set(VELA_MAN_PAGES)
foreach(page vela vela-cli kt5rs-sim)
  configure_file(${VELA_PACKAGING}/man/${page}.1.in ${VELA_PACKAGE_DIR}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${VELA_PACKAGE_DIR}/man/${page}.1.gz
    COMMAND ${VELA_GZIP} -9nc ${VELA_PACKAGE_DIR}/man/${page}.1 > ${VELA_PACKAGE_DIR}/man/${page}.1.gz
    DEPENDS ${VELA_PACKAGE_DIR}/man/${page}.1)
  list(APPEND VELA_MAN_PAGES ${VELA_PACKAGE_DIR}/man/${page}.1.gz)
endforeach()
configure_file(${VELA_PACKAGING}/changelog.in ${VELA_PACKAGE_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${VELA_PACKAGE_DIR}/changelog.gz
  COMMAND ${VELA_GZIP} -9nc ${VELA_PACKAGE_DIR}/changelog > ${VELA_PACKAGE_DIR}/changelog.gz
  DEPENDS ${VELA_PACKAGE_DIR}/changelog)
add_custom_target(vela_package_files ALL DEPENDS ${VELA_MAN_PAGES} ${VELA_PACKAGE_DIR}/changelog.gz)
install(FILES ${VELA_MAN_PAGES} DESTINATION share/man/man1)
install(FILES ${VELA_PACKAGE_DIR}/changelog.gz ${VELA_PACKAGING}/copyright DESTINATION share/doc/vela)

# Menu entry, icons, the file type of configuration files, software centre data.
install(FILES ${VELA_PACKAGING}/${VELA_APP_ID}.desktop DESTINATION share/applications)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${VELA_PACKAGING}/icons/vela_${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME ${VELA_APP_ID}.png)
endforeach()
install(FILES ${VELA_PACKAGING}/icons/vela.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME ${VELA_APP_ID}.svg)
install(FILES ${VELA_PACKAGING}/vela-mime.xml DESTINATION share/mime/packages RENAME vela.xml)
configure_file(${VELA_PACKAGING}/${VELA_APP_ID}.metainfo.xml.in ${VELA_PACKAGE_DIR}/${VELA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${VELA_PACKAGE_DIR}/${VELA_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${VELA_PACKAGING}/vela-cli.bash-completion DESTINATION share/bash-completion/completions
        RENAME vela-cli)

# scripts/package.sh builds first; the package step need not walk every test target again.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vela)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "VANTORIX <support@vantorix.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator for the KT5RS signal conditioner")
# CPack puts the summary first and indents the lines; an empty line parts two paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "VELA reads, edits and writes the parameters of a KT5RS signal conditioner
(resistance input, DC current or voltage output) over a serial line, keeps
parameter sets in .cfg files, compares a set with the instrument, shows live
values and adjusts and tests the instrument.

The package holds the window program vela, vela-cli for scripts and
production lines, and the simulated instrument kt5rs-sim.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Japanese window needs a font with its characters.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vela.vantorix.example")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
