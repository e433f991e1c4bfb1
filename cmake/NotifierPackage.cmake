# The Debian package brelvo-notifier_<version>_<arch>.deb (scripts/package):
# CPack's DEB generator over the install rules of NotifierInstall.cmake, so
# the package holds exactly what `cmake --install` puts in place, with the
# project's version. Configure with the prefix /usr; then `cpack -G DEB`.
#
#   /usr/bin/Notifier, brelvo-reg, updcfg, glm-milestone
#   /usr/lib/notifier/NotifierQt.so, brelvo-open
#   /etc/xdg/autostart/brelvo-notifier.desktop     (a conffile)
#   /usr/share/doc/brelvo-notifier/copyright, changelog.gz
#   /usr/share/man/man1/Notifier.1.gz, brelvo-reg.1.gz, updcfg.1.gz, glm-milestone.1.gz
#
# The maintainer scripts (packaging/deb/postinst, postrm) make the group
# brelvo and the shared folders /var/lib/brelvo and /var/lib/brelvo/updates
# (root:brelvo 2775) with the store registry.sqlite (root:brelvo 0664), and
# remove them on purge. Dependencies come from the binaries (dpkg-shlibdeps),
# plus the libraries the programs load at run time (GIO, libsystemd) and
# adduser for the group.

set(_deb ${PROJECT_SOURCE_DIR}/packaging/deb)
set(NOTIFIER_PACKAGE_NAME brelvo-notifier)
set(_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${NOTIFIER_PACKAGE_NAME})

# The changelog's newest entry names the version being packaged.
file(STRINGS ${_deb}/changelog _first_line LIMIT_COUNT 1)
if(NOT _first_line MATCHES "^${NOTIFIER_PACKAGE_NAME} \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/deb/changelog starts with '${_first_line}': "
                      "add an entry for version ${PROJECT_VERSION}")
endif()

# Debian's documentation files: the copyright, the changelog and the manual
# pages, compressed without a name or time stamp.
set(_compressed "")
function(_notifier_compress source out)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package
    COMMAND gzip -9nc ${source} > ${out}
    DEPENDS ${source}
    VERBATIM)
endfunction()
set(_changelog_gz ${PROJECT_BINARY_DIR}/package/changelog.gz)
_notifier_compress(${_deb}/changelog ${_changelog_gz})
list(APPEND _compressed ${_changelog_gz})
install(FILES ${_deb}/copyright ${_changelog_gz} DESTINATION ${_docdir})
file(GLOB _manual_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/packaging/man/*.1)
foreach(_page IN LISTS _manual_pages)
  get_filename_component(_name ${_page} NAME)
  set(_page_gz ${PROJECT_BINARY_DIR}/package/${_name}.gz)
  _notifier_compress(${_page} ${_page_gz})
  list(APPEND _compressed ${_page_gz})
  install(FILES ${_page_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(package_documentation ALL DEPENDS ${_compressed})
# The end-to-end tests install the build tree.
function(_notifier_documentation_for_install_tests)
  if(TARGET test_e2e)
    add_dependencies(test_e2e package_documentation)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _notifier_documentation_for_install_tests)

# Files below /etc are the administrator's once installed.
set(_conffiles ${PROJECT_BINARY_DIR}/package/conffiles)
file(WRITE ${_conffiles} "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart/brelvo-notifier.desktop\n")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${NOTIFIER_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Notifier developers <notifier@brelvo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "update notifier of the Brelvo Software Updater")
set(CPACK_PACKAGE_DESCRIPTION
    "The Notifier tells a desktop user about a downloaded update of the Glimmary
software and carries out the user's choice: install it now and follow the
installer to its end, be reminded in seven days, or not update. It starts at
login, shows its dialog only when an update waits, and exits.
The updater's state is kept in /var/lib/brelvo, shared by root and the members
of the group brelvo: add a desktop user with 'adduser USER brelvo'.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries loaded at first use are named here: dpkg-shlibdeps sees only
# the ones the binaries link.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "adduser, libglib2.0-0, libsystemd0, libdw1, libfontconfig1, libfreetype6, libjpeg62-turbo, libxcb1, libwayland-client0")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${_deb}/postinst ${_deb}/postrm ${_conffiles})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
