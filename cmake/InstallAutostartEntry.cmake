# Install step of the XDG autostart entry (see NotifierInstall.cmake): writes
# brelvo-notifier.desktop from its template with the installed program's path.
# Given: NOTIFIER_INSTALL_BINDIR, NOTIFIER_AUTOSTART_DIR (each absolute or
# relative to the prefix) and NOTIFIER_DESKTOP_TEMPLATE; DESTDIR is honoured.

function(_notifier_absolute out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

_notifier_absolute(_bindir "${NOTIFIER_INSTALL_BINDIR}")
_notifier_absolute(_autostart "${NOTIFIER_AUTOSTART_DIR}")
set(NOTIFIER_PROGRAM "${_bindir}/Notifier")

# An Exec line is split at blanks and interprets a few characters: a path
# that has any of them is quoted, with ", `, $ and \ escaped inside the
# quotes, and then every backslash doubled as in any value of the file.
# A percent sign is a field code unless doubled.
set(_exec "${NOTIFIER_PROGRAM}")
if(_exec MATCHES "[ \t\"'\\\\><~|&;$*?#()`]")
  string(REPLACE "\\" "\\\\" _exec "${_exec}")
  string(REPLACE "\"" "\\\"" _exec "${_exec}")
  string(REPLACE "`" "\\`" _exec "${_exec}")
  string(REPLACE "$" "\\$" _exec "${_exec}")
  set(_exec "\"${_exec}\"")
  string(REPLACE "\\" "\\\\" _exec "${_exec}")
endif()
string(REPLACE "%" "%%" NOTIFIER_EXEC "${_exec}")

set(_entry "$ENV{DESTDIR}${_autostart}/brelvo-notifier.desktop")
message(STATUS "Installing: ${_entry}")
configure_file("${NOTIFIER_DESKTOP_TEMPLATE}" "${_entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_entry}")
