# The Debian package of the programs and everything dist/ installs.
# scripts/package.sh builds it; dpkg-shlibdeps works out the library
# dependencies from the installed binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellar)
set(CPACK_PACKAGE_VENDOR Hollin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client for Miravo text conferencing")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Pellar reads and writes texts, comments, footnotes and letters on a Miravo\n"
    "text-conferencing server, sends and receives messages and shows who is on.\n"
    "The package includes miravod, a small Miravo server, and a demo mode.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Pellar developers <pellar@hollin.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Where no desktop notification service answers, the tray is used instead;
# fonts are needed to show any text at all; spell checking needs a dictionary
# (the Hunspell library itself comes through the library dependencies); Qt's
# own dialog texts in the user's language come with its translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, hunspell-en-us | hunspell-dictionary, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
