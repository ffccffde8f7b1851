# What `cmake --install` puts where, and the Debian package CPack makes of it
# (scripts/package). Included from the top CMakeLists.txt, after the targets.

include(GNUInstallDirs)

# Folders get the usual modes whatever the umask of whoever installs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(TELVOXA_APPSTREAM_ID org.telvoxa.telvoxa)

install(TARGETS telvoxa RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET telvoxa-phone)
  install(TARGETS telvoxa-phone RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The data folder the program looks in: <prefix>/share/telvoxa.
install(FILES ${skin_files} res/Readme.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/telvoxa)
install(FILES res/telvoxa.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY res/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES res/${TELVOXA_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the package's change log, compressed as Debian ships them:
# gzip -n keeps name and time out, so the same text always gives the same bytes.
set(compressed "")
foreach(source IN ITEMS docs/man/telvoxa.1 docs/man/telvoxa-phone.1 packaging/debian/changelog)
  get_filename_component(name ${source} NAME)
  if(name STREQUAL "changelog")
    set(name changelog.Debian)
  endif()
  set(output ${CMAKE_CURRENT_BINARY_DIR}/compressed/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/${source} > ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${source}"
    VERBATIM)
  list(APPEND compressed ${output})
endforeach()
add_custom_target(telvoxa_compressed_docs ALL DEPENDS ${compressed})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/telvoxa.1.gz
              ${CMAKE_CURRENT_BINARY_DIR}/compressed/telvoxa-phone.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/compressed/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME telvoxa)

# The Debian package: build-package/telvoxa_<version>-<release>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME telvoxa)
set(CPACK_PACKAGE_VENDOR "The Telvoxa developers")
set(CPACK_PACKAGE_CONTACT "The Telvoxa developers <developers@telvoxa.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries come from what the programs link; Qt loads its platform plugin
# (the window system's) at run time, which no link shows.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without a Japanese font every menu and dialog would be empty boxes; the
# handset's texts and the control pad look for IPAGothic first.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-japanese-gothic")
# Qt's own dialogs in the user's language; F1 opens the read-me with xdg-open;
# a native window on Wayland desktops.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils, qt6-wayland")
file(READ packaging/debian/description CPACK_DEBIAN_PACKAGE_DESCRIPTION)
string(STRIP "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
include(CPack)
