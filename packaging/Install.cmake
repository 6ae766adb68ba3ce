# What `cmake --install` puts where (GNUInstallDirs), and the Debian package `make package`
# makes of it with CPack.
include(GNUInstallDirs)

install(TARGETS quarn-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quarn)
  install(TARGETS quarn RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The shipped lists and the sample texts; the menu's first start copies them into ~/Quarn.
if(EXISTS ${PROJECT_SOURCE_DIR}/lists)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/lists/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quarn/lists
          FILES_MATCHING PATTERN "BASEWRD*.txt")
  # Their provenance and licences.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/lists/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/lists
          FILES_MATCHING PATTERN "README*" PATTERN "LICENSE*" PATTERN "LICENCE*"
          PATTERN "NOTICE*" PATTERN "COPYING*" PATTERN "*.md")
endif()
file(GLOB QUARN_SAMPLE_TEXTS ${PROJECT_SOURCE_DIR}/sample/*.txt)
list(FILTER QUARN_SAMPLE_TEXTS EXCLUDE REGEX "/BASEWRD[0-9]+\\.txt$")
install(FILES ${QUARN_SAMPLE_TEXTS} DESTINATION ${CMAKE_INSTALL_DATADIR}/quarn/sample)

# The desktop menu entry, its icon in every size, the software centres' metadata.
set(QUARN_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${QUARN_PACKAGING}/org.quarn.Quarn.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUARN_PACKAGING}/org.quarn.Quarn.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUARN_PACKAGING}/icons/quarn.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${QUARN_PACKAGING}/icons/${size}x${size}/quarn.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages and the changelog, compressed as Debian keeps them.
foreach(page quarn.1 quarn-cli.1)
  configure_file(${QUARN_PACKAGING}/man/${page} ${PROJECT_BINARY_DIR}/man/${page} @ONLY)
  execute_process(COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/man/${page})
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
configure_file(${QUARN_PACKAGING}/changelog ${PROJECT_BINARY_DIR}/doc/changelog COPYONLY)
execute_process(COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/doc/changelog)
install(FILES ${PROJECT_BINARY_DIR}/doc/changelog.gz ${QUARN_PACKAGING}/copyright
              ${QUARN_PACKAGING}/NOTICE
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package.
set(QUARN_MAINTAINER "Quarn developers <quarn@example.org>" CACHE STRING
    "The Debian package's Maintainer field")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUARN_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
   "vocabulary profiler for texts and graded word lists
Quarn counts the words of one or many texts and shows how much of them each
of up to 64 graded word-family lists covers: the share of running words,
word types and families in every list, and the words in none of them. It can
mark the listed words in copies of the texts, add the counts of a run to the
lists, and export the results as CSV, TSV, JSON or a workbook.
.
The package holds the window (quarn), the headless program (quarn-cli),
twelve graded lists of 1,000 word families each and three sample texts.
Started from the desktop menu, Quarn works in the user's folder ~/Quarn,
which its first start fills with a copy of the lists and texts.")
include(CPack)
