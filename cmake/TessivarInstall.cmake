# What "cmake --install" puts where, and the Debian package (CPack) built from it: the two programs,
# the web window's module, the desktop entry, the icons, the AppStream metainfo, the manual pages,
# the starter catalogue, the directory's systemd unit and system user, and the documentation.
# The packaging files live in dist/.

include(GNUInstallDirs)

set(TESSIVAR_HOMEPAGE "https://halvorne.example/tessivar/" CACHE STRING
    "The program's home page, named in the AppStream metainfo (its screenshot lies under it)")
set(TESSIVAR_SYSTEMD_UNIT_DIR "lib/systemd/system" CACHE STRING
    "Folder of the systemd unit (relative to the install prefix unless absolute)")
set(TESSIVAR_APPSTREAM_ID "example.halvorne.Tessivar")

set(dist ${CMAKE_SOURCE_DIR}/dist)
set(dist_out ${CMAKE_BINARY_DIR}/dist)
set(TESSIVAR_BIN_DIR ${CMAKE_INSTALL_FULL_BINDIR})
set(TESSIVAR_PRIVATE_DIR ${CMAKE_INSTALL_PREFIX}/lib/tessivar)
set(TESSIVAR_CATALOGUE_DIR ${CMAKE_INSTALL_FULL_DATADIR}/tessivar/catalogue)
set(TESSIVAR_METAINFO ${dist_out}/${TESSIVAR_APPSTREAM_ID}.metainfo.xml)
configure_file(${dist}/${TESSIVAR_APPSTREAM_ID}.metainfo.xml.in ${TESSIVAR_METAINFO} @ONLY)
configure_file(${dist}/systemd/tessivar-directory.service.in ${dist_out}/tessivar-directory.service @ONLY)
configure_file(${dist}/systemd/tessivar-directory-check.service.in ${dist_out}/tessivar-directory-check.service @ONLY)
configure_file(${dist}/systemd/tessivar-directory-first-catalogue.in ${dist_out}/tessivar-directory-first-catalogue
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
               WORLD_READ WORLD_EXECUTE)

# Manual pages and the changelog are installed compressed, without a time stamp in the header.
set(compressed "")
foreach(pair "man/tessivar.1;tessivar.1.gz" "man/tessivar-directory.1;tessivar-directory.1.gz"
             "debian/changelog;changelog.Debian.gz")
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(OUTPUT ${dist_out}/${target}
    COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${dist}/${source} ${dist_out}/${target}
    DEPENDS ${dist}/${source}
    VERBATIM)
  list(APPEND compressed ${dist_out}/${target})
endforeach()
add_custom_target(tessivar_dist ALL DEPENDS ${compressed})
# Everything that is installed, for a package build that skips the tests.
add_custom_target(tessivar_installed DEPENDS tessivar tessivar-directory tessivar_dist)
if(TARGET tessivar_webengine)
  add_dependencies(tessivar_installed tessivar_webengine)
endif()

# --- the programs ------------------------------------------------------------------------------
install(TARGETS tessivar tessivar-directory RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tessivar_webengine)
  # The web window looks for its module in ../lib/tessivar beside the program's folder.
  install(TARGETS tessivar_webengine LIBRARY DESTINATION lib/tessivar)
endif()
install(PROGRAMS ${dist_out}/tessivar-directory-first-catalogue DESTINATION lib/tessivar)

# --- the desktop ---------------------------------------------------------------------------------
install(FILES ${dist}/tessivar.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${dist}/icons/tessivar.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${dist}/icons/tessivar-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tessivar.png)
endforeach()
install(FILES ${TESSIVAR_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${dist_out}/tessivar.1.gz ${dist_out}/tessivar-directory.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# --- the directory server ------------------------------------------------------------------------
install(DIRECTORY ${CMAKE_SOURCE_DIR}/server/catalogue/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tessivar/catalogue
        FILES_MATCHING PATTERN "*.csv")
install(FILES ${dist_out}/tessivar-directory.service ${dist_out}/tessivar-directory-check.service
              ${dist}/systemd/tessivar-directory-check.timer DESTINATION ${TESSIVAR_SYSTEMD_UNIT_DIR})
install(FILES ${dist}/systemd/tessivar-directory.sysusers DESTINATION lib/sysusers.d
        RENAME tessivar-directory.conf)

# --- documentation -------------------------------------------------------------------------------
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tessivar)
install(FILES ${dist}/debian/copyright ${dist_out}/changelog.Debian.gz DESTINATION ${doc_dir})
install(FILES ${CMAKE_SOURCE_DIR}/server/nginx/tessivar-directory.conf DESTINATION ${doc_dir}/examples)

# --- the Debian package (scripts/package) --------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessivar)
set(CPACK_PACKAGE_VENDOR "Halvorne")
set(CPACK_PACKAGE_CONTACT "Halvorne <${TESSIVAR_SUPPORT_EMAIL}>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Internet radio, TV and clip directory client and server")
set(CPACK_PACKAGE_DESCRIPTION
    "Tessivar! Broadcast searches a directory of Internet radio stations, live
TV channels and on-demand audio and video clips, and plays what you pick in
your media player. It keeps station presets and bookmarks, and its station
scanner plays every station of a style in turn.
.
The package also holds tessivar-directory, the HTTP server that answers the
program, with a starter catalogue and a systemd unit (not enabled).")
# The package installs where the build was configured to (scripts/package: /usr), so the paths
# written into the unit and the scripts hold.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TESSIVAR_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The maintainer scripts' tool when systemd-sysusers is missing; the libraries come from
# dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "streamripper")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "nginx")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${dist}/debian/postinst ${dist}/debian/prerm ${dist}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
