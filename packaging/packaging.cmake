# Installation (cmake --install) and the Debian package (cpack -G DEB).
#
# Installed, the program lives in bin/ and its data files in
# share/sitebuilder/; at start it finds them through the path from its own
# folder, and works in a folder of the user's own, filled from them.

include(GNUInstallDirs)

set(SB_PACKAGE_NAME sitebuilder)
set(SB_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/${SB_PACKAGE_NAME})

file(RELATIVE_PATH SB_DATA_FROM_PROGRAM /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${SB_DATA_INSTALL_DIR})
target_compile_definitions(sitebuilder PRIVATE
  SB_VERSION="${PROJECT_VERSION}" SB_APP_ID="${SB_APP_ID}" SB_DATA_FROM_PROGRAM="${SB_DATA_FROM_PROGRAM}")

install(TARGETS sitebuilder RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Every data file of the application folder, whatever the build puts there;
# not the program itself nor what running it from the build folder wrote
# (the default site, copies, sample pages).
install(DIRECTORY ${SB_APP_DIR}/ DESTINATION ${SB_DATA_INSTALL_DIR}
  PATTERN sitebuilder EXCLUDE
  PATTERN .* EXCLUDE
  PATTERN LAYOUT_01 EXCLUDE
  PATTERN copia EXCLUDE
  REGEX "\\.[hH][tT][mM][lL]?$" EXCLUDE)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/${SB_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${SB_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${SB_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# The manual page and the package's documents, compressed as Debian wants them.
set(SB_DOC_DIR ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(
  OUTPUT ${SB_DOC_DIR}/sitebuilder.1.gz ${SB_DOC_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SB_DOC_DIR}
  COMMAND sh -c "gzip -9n < '${CMAKE_CURRENT_LIST_DIR}/sitebuilder.1' > '${SB_DOC_DIR}/sitebuilder.1.gz'"
  COMMAND sh -c "gzip -9n < '${CMAKE_CURRENT_LIST_DIR}/changelog' > '${SB_DOC_DIR}/changelog.gz'"
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/sitebuilder.1 ${CMAKE_CURRENT_LIST_DIR}/changelog
  VERBATIM)
add_custom_target(package_documents ALL DEPENDS ${SB_DOC_DIR}/sitebuilder.1.gz ${SB_DOC_DIR}/changelog.gz)
install(FILES ${SB_DOC_DIR}/sitebuilder.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${SB_DOC_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${SB_PACKAGE_NAME})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${SB_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photo-gallery web site maker and picture viewer")
# The long description; the summary above is put before it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Site Builder composes a photo-gallery web site from a set of parameters: it
writes a home page, a script with the gallery's parameters and copies of the
pictures into a folder of the user's choice. It also steps through the
pictures of a folder, shows each one in small sample pages and previews the
written site in an embedded browser. Italian and English captions.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Site Builder team <sitebuilder@velmora.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A plugin, so no library dependency names it: WebP pictures of a group get
# their thumbnails through it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-image-formats-plugins)
# The Publish window remembers passwords in the desktop's keyring (through
# libqt6keychain1, which shlibdeps names); a desktop without one keeps none.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-keyring | kwalletmanager")
include(CPack)

# The menu entry and the AppStream metadata as their checkers see them.
add_test(NAME desktop_entry COMMAND desktop-file-validate ${CMAKE_CURRENT_LIST_DIR}/${SB_APP_ID}.desktop)
add_test(NAME appstream_metainfo COMMAND appstreamcli validate --no-net ${CMAKE_CURRENT_LIST_DIR}/${SB_APP_ID}.metainfo.xml)
set_tests_properties(desktop_entry appstream_metainfo PROPERTIES LABELS packaging)
