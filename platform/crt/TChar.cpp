#include "platform/crt/TChar.h"

#include <cstring>

std::size_t _tcslen(LPCSTR sz) { return sz != nullptr ? std::strlen(sz) : 0; }
