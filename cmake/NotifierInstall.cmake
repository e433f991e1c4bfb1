# What `cmake --install` puts where (GNU installation folders):
#
#   <bindir>/Notifier, brelvo-reg, updcfg, glm-milestone
#   lib/notifier/NotifierQt.so        the program looks for its GUI module in
#                                     ../lib/notifier/ from its own folder
#   lib/notifier/brelvo-open          opens a document with the desktop's
#                                     default application (FindExecutableA)
#   <autostart>/brelvo-notifier.desktop
#                                     the XDG autostart entry that starts the
#                                     notifier when a user logs in
#
# The autostart folder is <sysconfdir>/xdg/autostart. When the configuration
# folder lies below the prefix (the default prefix /usr/local, or any prefix
# with a relative sysconfdir), the entry is installed relative to the prefix,
# so `cmake --install build --prefix P` keeps everything inside P; for the
# prefix /usr (and /opt/...) GNUInstallDirs names the system's /etc, where
# the session manager looks.
#
# Neither the sample update nor its installer is installed: they stand in for
# what the download component leaves and exist for the demo and the tests.
include(GNUInstallDirs)

if(NOT IS_ABSOLUTE "${CMAKE_INSTALL_SYSCONFDIR}"
   AND CMAKE_INSTALL_FULL_SYSCONFDIR STREQUAL "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_SYSCONFDIR}")
  set(NOTIFIER_AUTOSTART_DIR "${CMAKE_INSTALL_SYSCONFDIR}/xdg/autostart")
else()
  set(NOTIFIER_AUTOSTART_DIR "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart")
endif()
set(NOTIFIER_MODULE_DIR lib/notifier)

install(TARGETS Notifier brelvo-reg updcfg glm-milestone RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS NotifierQt LIBRARY DESTINATION ${NOTIFIER_MODULE_DIR})
install(TARGETS brelvo-open RUNTIME DESTINATION ${NOTIFIER_MODULE_DIR})

# The entry's Exec line names the program where this installation puts it,
# which only the install step knows (--prefix), so the entry is written then.
install(CODE "
set(NOTIFIER_INSTALL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
set(NOTIFIER_AUTOSTART_DIR \"${NOTIFIER_AUTOSTART_DIR}\")
set(NOTIFIER_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/resources/brelvo-notifier.desktop.in\")
")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallAutostartEntry.cmake)
