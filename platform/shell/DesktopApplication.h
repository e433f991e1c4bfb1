// The desktop's default application for a file, through GIO: the content
// type from the file's name, the default application for that type from the
// user's and the system's associations (mimeapps.list, the desktop entries'
// MimeType lines), and its start with the file, whatever form its desktop
// entry's Exec line has ("env VAR=1 viewer %f", "flatpak run ... %u").
//
// GIO is loaded the first time it is needed (libgio-2.0.so.0), so programs
// that never open a document never load it and its libraries. Without it a
// file has no default application.
#pragma once

#include <string>

namespace platform {

// Whether an application opens files of this one's kind.
bool HasDefaultApplication(const std::string& path);

// Starts the default application with the file, in the caller's working
// folder; it runs on its own. False with the reason in error when there is
// none or it could not be started.
bool LaunchDefaultApplication(const std::string& path, std::string& error);

}  // namespace platform
