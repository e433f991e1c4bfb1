// The C run-time's working-folder calls (<direct.h>): _getcwd and _chdir.
#pragma once

// The working folder into buffer (maxlen bytes), or null with errno-style
// failure when it does not fit.
char* _getcwd(char* buffer, int maxlen);
// Makes path the working folder: 0, or -1 (with the last error) when it
// cannot be entered.
int _chdir(const char* path);
