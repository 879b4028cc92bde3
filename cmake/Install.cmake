# Installation as a desktop application and the Debian package.
#   cmake --install build [--prefix DIR]      the program, its data, desktop entry, icons, metainfo
#   cd build && cpack                          build/zendrik_<version>_<arch>.deb
# The program finds its read-only data in ../share/zendrik beside its bin folder, and copies the
# database from there into the user's data folder on first start (it cannot write in /usr).

install(TARGETS zendrik zendrik-cli zendrik-dbbuilder RUNTIME DESTINATION bin)

# The demo database as installed data: built fresh from data/demo, never the copy in build/bin
# that a run of the program may have changed. Not under build/share, where a program in build/bin
# would take it for an installation.
set(installed_db ${CMAKE_BINARY_DIR}/install-data/quorvel.mdb)
file(GLOB demo_inputs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/demo/*.csv)
add_custom_command(OUTPUT ${installed_db}
  COMMAND zendrik-dbbuilder demo ${installed_db} --force
  DEPENDS zendrik-dbbuilder ${demo_inputs}
  COMMENT "Demo database for installation"
  VERBATIM)
add_custom_target(installed_database ALL DEPENDS ${installed_db})
install(FILES ${installed_db} DESTINATION share/zendrik PERMISSIONS OWNER_READ GROUP_READ WORLD_READ)
install(FILES ${PROJECT_SOURCE_DIR}/res/images/banner.bmp DESTINATION share/zendrik/images)

set(app_id cn.zendrik.Zendrik)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${app_id}.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${app_id}.metainfo.xml DESTINATION share/metainfo)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/res/icons/zendrik-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${app_id}.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zendrik)
set(CPACK_PACKAGE_VENDOR Zendrik)
set(CPACK_PACKAGE_CONTACT "Zendrik <support@zendrik.cn>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "commodity-code lookup for customs declarants")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Type a commodity-code prefix or a fragment of a commodity name and see the matching rows of\n"
    "the tariff, the classification rulings and the declaration cases; detail and special rates\n"
    "of one code; import of update files. Includes the command-line lookup and the database builder.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE http://zendrik.cn)
# Libraries the executables link come from dpkg-shlibdeps; what Qt loads at run time does not
# show there: the SQLite driver, the window-system plugins, the Chinese translations of Qt's
# dialogs, the opener of web addresses, a CJK font and the traditional-to-simplified tables.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, qt6-qpa-plugins, qt6-translations-l10n, xdg-utils, fonts-noto-cjk | fonts-arphic-uming, libopencc-data")
include(CPack)
