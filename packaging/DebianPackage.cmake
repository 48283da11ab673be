# The Debian package, made by `cpack -G DEB` (scripts/build-package.sh sets it up).
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "Merrow")
set(CPACK_PACKAGE_CONTACT "Merrow <${QUORVEL_CONTACT_MAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for auction listing descriptions as HTML tags")
# Lines under 80 columns, none starting with "." (lintian reads the text as it stands).
set(CPACK_PACKAGE_DESCRIPTION
  "Quorvel is a small desktop editor with which an online-auction seller
composes the description of a listing: a title, ten rows of item names
and descriptions and a note, every cell with its own colours, size,
style and alignment. It generates the HTML tags for the listing form,
previews them, copies them to the clipboard and keeps sheets in its
own .qvl files. All text is Shift_JIS. The qvltags tool writes the tags
of a stored sheet from the command line.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUORVEL_SITE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not found through the binaries: the Japanese font every cell and the preview need, and the
# translations of Qt's own dialogs and buttons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")

include(CPack)
