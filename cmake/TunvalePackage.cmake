# The Debian package, made by CPack from the install rules: `make package` at the top of the
# source tree configures a release build without tests and calls cpack, which writes
# tunvale_<version>_amd64.deb. Its dependencies are computed from the binaries by
# dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tunvale)
set(CPACK_PACKAGE_VENDOR QX)
set(CPACK_PACKAGE_CONTACT "QX <tunvale@qx.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "audio file organizer (dialog and command line)")
# The long description, wrapped for the package's control file (no double quotes: CPack does
# not escape them there).
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Tunvale copies the MP3, FLAC, WAV and AIFF files of a folder, at any depth,"
  "into sub-folders named after their artist, album, genre, decade or year."
  "Names that differ only slightly are merged, lone files are gathered in"
  "Miscellaneous, and on the way missing tags can be completed from the file"
  "names, the copies renamed and renumbered, and lossless files converted to"
  "MP3. Sources are only read, and a run can be undone."
  ""
  "This package holds the Qt dialog tunvale and the command-line tool"
  "tunvale-cli.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY tunvale)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dialog draws through a Qt platform plugin (xcb, wayland), which it loads at run time and
# does not link, so dpkg-shlibdeps cannot see it.
if(TARGET tunvale)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()

include(CPack)
