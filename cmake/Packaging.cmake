# `make package` (or `cpack -G DEB` in the build folder) makes
# zentra_VERSION_amd64.deb from the install rules, with CPack's DEB generator:
# the build already knows what it installs and where, so the package needs no
# second description of its files (a debian/ folder would repeat them).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zentra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zentra developers")
set(CPACK_PACKAGE_CONTACT "The Zentra developers <dev@zentra.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print express waybills onto pre-printed courier sheets")
set(CPACK_PACKAGE_DESCRIPTION
    "Zentra prints express waybills for small shops that send parcels by courier.
A template places text items over a scanned blank waybill sheet; waybills are
composed from the receiver and sender address books, the goods catalogue and
order data, and only their text is printed onto the pre-printed sheet, singly
or in batches from a print list, with a searchable history. Taobao order
reports are imported, addresses recognised in pasted text, and users given
their own permissions. The interface is in Chinese.
.
The package holds the program zentra, the command line zentra-cli for
automation and the online updater zentra-update.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.zentra.example/)
# The libraries the programs link, as dpkg-shlibdeps finds them, and the CJK
# fonts every Chinese text is drawn and printed with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk")
# Printing goes through CUPS; Qt's Chinese button texts; web pages open in the
# user's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups, qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
