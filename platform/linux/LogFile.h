// The files that diagnostics go to: the log file, appended one line at a time,
// and files written anew (the dump of the in-memory log, the statistics
// report). Both are created 0600 (with their folder, 0700) and are never
// opened through a symbolic link or on anything but a regular file, so a link
// planted at the path cannot redirect what we write. The crash dump's path is
// here too; the dump itself is written in a signal handler
// (platform/dbghelp/DumpFile.h).
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstddef>
#include <string>

namespace platform {

// $BRELVO_LOG_FILE, else ${XDG_STATE_HOME:-$HOME/.local/state}/brelvo/logfile.
std::string DefaultLogFilePath();
// $BRELVO_DUMP_FILE, else ${XDG_STATE_HOME:-$HOME/.local/state}/brelvo/Glimmary.dmp.
std::string DefaultDumpFilePath();

// Opens the file for this one append, writes the bytes and closes it. False
// when nothing could be written (the caller loses the line; the next tries again).
bool AppendToLogFile(const std::string& path, const char* data, std::size_t length);

// Whether a file's missing folders are made (0700 each) when it is created.
enum class MissingFolders { Make, Fail };

// A file created anew (or truncated), for writing from its start.
class NewTextFile {
public:
    NewTextFile() = default;
    NewTextFile(const NewTextFile&) = delete;
    NewTextFile& operator=(const NewTextFile&) = delete;
    ~NewTextFile();

    // ERROR_SUCCESS, or the Win32 error (ERROR_BAD_PATHNAME for a symbolic link,
    // ERROR_ACCESS_DENIED for something that is not a regular file).
    // With MissingFolders::Fail a missing folder gives ERROR_PATH_NOT_FOUND,
    // as CreateFileA gives it.
    DWORD Create(const std::string& path, MissingFolders folders = MissingFolders::Make);
    // Writes all the bytes; ERROR_SUCCESS or the Win32 error.
    DWORD Write(const void* data, std::size_t length);
    void Close();

private:
    int m_fd = -1;
};

}  // namespace platform
