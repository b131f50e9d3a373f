# The Debian package candlewise_<version>_<arch>.deb, made by CPack's DEB generator (scripts/package).
# Everything installed below CMAKE_INSTALL_PREFIX goes in, with /usr as the prefix.

# The changelog and the AppStream release name the same day; it moves with the version.
execute_process(COMMAND date -u -R -d "${CANDLEWISE_RELEASE_DATE} 12:00"
  OUTPUT_VARIABLE CANDLEWISE_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

set(package_doc_dir ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${package_doc_dir}/changelog @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/candlewise.1.in ${package_doc_dir}/candlewise.1 @ONLY)
# gzip -n: no name or time stamp in the header, so that the same sources give the same package.
foreach(document changelog candlewise.1)
  add_custom_command(
    OUTPUT ${package_doc_dir}/${document}.gz
    COMMAND gzip -9 -n -f -k ${package_doc_dir}/${document}
    DEPENDS ${package_doc_dir}/${document}
    COMMENT "Compressing ${document} for the package")
endforeach()
add_custom_target(package_documents ALL DEPENDS ${package_doc_dir}/changelog.gz ${package_doc_dir}/candlewise.1.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${package_doc_dir}/changelog.gz
  DESTINATION share/doc/candlewise)
install(FILES ${package_doc_dir}/candlewise.1.gz DESTINATION share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME candlewise)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Marrowfen <candlewise@marrowfen.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "birthday reminder that lives in the system tray")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${CMAKE_CURRENT_LIST_DIR}/description.txt)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.marrowfen.example/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the program links come from dpkg-shlibdeps. Qt loads its SVG image plug-in (the
# icon) at run time, which no linker table shows, so that one is named here; the Wayland plug-in
# is only needed in a Wayland session and without it Qt runs the program through XWayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
