# What `cmake --install` and the Debian package (`cpack` in the build folder) hold
# besides the program: desktop entry, icon, man page, licence and changelog.
find_program(GZIP_EXECUTABLE gzip REQUIRED)

# The changelog's newest entry must name the version being built.
file(STRINGS ${PROJECT_SOURCE_DIR}/data/changelog _tarpon_changelog_top LIMIT_COUNT 1)
if(NOT _tarpon_changelog_top MATCHES "^tarpon-hex \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "data/changelog: the first entry is not version ${PROJECT_VERSION}")
endif()

# Compressed documents are made in the build folder (gzip -n: no name or time
# stamp, so the same sources give the same bytes).
set(_tarpon_doc_dir ${CMAKE_BINARY_DIR}/doc)
add_custom_command(OUTPUT ${_tarpon_doc_dir}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_tarpon_doc_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/changelog ${_tarpon_doc_dir}/changelog
  COMMAND ${GZIP_EXECUTABLE} -9nf ${_tarpon_doc_dir}/changelog
  DEPENDS ${PROJECT_SOURCE_DIR}/data/changelog VERBATIM)
add_custom_command(OUTPUT ${_tarpon_doc_dir}/tarpon-hex.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_tarpon_doc_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/tarpon-hex.1 ${_tarpon_doc_dir}/tarpon-hex.1
  COMMAND ${GZIP_EXECUTABLE} -9nf ${_tarpon_doc_dir}/tarpon-hex.1
  DEPENDS ${PROJECT_SOURCE_DIR}/data/tarpon-hex.1 VERBATIM)
add_custom_command(OUTPUT ${_tarpon_doc_dir}/copyright
  COMMAND ${CMAKE_COMMAND} -DLICENSE=${PROJECT_SOURCE_DIR}/LICENSE -DOUT=${_tarpon_doc_dir}/copyright
          -P ${PROJECT_SOURCE_DIR}/cmake/debian_copyright.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/cmake/debian_copyright.cmake VERBATIM)
add_custom_target(tarpon_docs ALL DEPENDS
  ${_tarpon_doc_dir}/changelog.gz ${_tarpon_doc_dir}/tarpon-hex.1.gz ${_tarpon_doc_dir}/copyright)

install(TARGETS tarpon-hex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The desktop entry and the AppStream metainfo that software centres list the
# editor by; both are named by the component's reverse-domain id.
install(FILES data/org.tarpon_hex.tarpon_hex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/org.tarpon_hex.tarpon_hex.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/tarpon-hex.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The icon drawn for each size (scripts/make_icons.py), so small sizes stay sharp.
foreach(size 16 24 32 48 64 128 256)
  install(FILES data/icons/${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME tarpon-hex.png)
endforeach()
install(FILES ${_tarpon_doc_dir}/tarpon-hex.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_tarpon_doc_dir}/copyright ${_tarpon_doc_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarpon-hex)
set(CPACK_PACKAGE_CONTACT "Tarpon's Hex developers <maintainers@tarpon-hex.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Hex editor for files that store text in a private character encoding")
# The summary above becomes the first line; these lines follow it.
set(CPACK_PACKAGE_DESCRIPTION [=[
Tarpon's Hex shows a file of up to 9 MiB sixteen bytes to a row, in
hexadecimal and as text, read plainly or through a character table (.tbl
file) that maps byte values to letters, as game translators and firmware
tinkerers use for text stored in a private encoding.

Bytes are typed over in hexadecimal, through the table or as decimal and
octal values; bytes can be inserted and deleted; text is found plainly, with
a wildcard, or by relative search (the same steps between letters); a range
is copied out as numbers or text. Saving replaces the file through a
temporary file, so a failed save leaves the old file intact.]=])
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
# Qt loads its platform plugins at run time, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
# Glyphs for UTF-8 tables in Chinese, Japanese or Korean.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)

# The desktop entry must pass desktop-file-validate without a single remark
# (hints such as two main categories included).
if(TARPON_TESTS)
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  if(DESKTOP_FILE_VALIDATE)
    add_test(NAME packaging.desktop_entry_valid
      COMMAND ${DESKTOP_FILE_VALIDATE} ${PROJECT_SOURCE_DIR}/data/org.tarpon_hex.tarpon_hex.desktop)
    set_tests_properties(packaging.desktop_entry_valid PROPERTIES
      FAIL_REGULAR_EXPRESSION "." TIMEOUT 20 LABELS packaging)
  else()
    message(WARNING "desktop-file-validate missing: the desktop entry is not checked")
  endif()
endif()

# The package as a packager checks it: cpack builds the .deb, then lintian (no
# error or warning), the desktop entry, the AppStream metainfo (pedantic) and
# hardening-check on the shipped binary. Release builds only: the others carry no
# fortify or stack protector by design.
if(TARPON_TESTS AND CMAKE_BUILD_TYPE STREQUAL "Release")
  add_test(NAME packaging.deb
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/packaging/package.sh ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
  set_tests_properties(packaging.deb PROPERTIES
    PASS_REGULAR_EXPRESSION "PASS" FAIL_REGULAR_EXPRESSION "FAIL" TIMEOUT 600 LABELS packaging RUN_SERIAL TRUE)
endif()
