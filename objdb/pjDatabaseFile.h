// The database file: one packet written to a new file (never over an
// existing one) and read back whole, and the writer and loader of its records.
#pragma once

#include "CustomCode/Common/cmPacket.h"
#include "objdb/pjDatabaseLoader.h"
#include "objdb/pjDatabaseWriter.h"

// Creates the file (failing when it exists) and writes the packet's bytes.
HRESULT pjWritePacketToNewFile(LPCSTR szFileName, const cmPacket& packet);
// Reads the whole file into the packet.
HRESULT pjReadPacketFromFile(LPCSTR szFileName, cmPacket& packet);
