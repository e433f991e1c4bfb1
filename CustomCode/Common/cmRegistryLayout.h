// Registry keys that the common library and the crash handler read, outside
// the updater's own tree (update/BSURegistryLayout.h). All under
// HKEY_LOCAL_MACHINE.
#pragma once

// One REG_DWORD per log subsystem, named after it, holding its trace flags;
// created as 0 when missing.
inline constexpr char szAppLogLevelsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\AppLogLevels";

// The product family's setup: its install folder, where the crash handler
// looks for the extension library.
inline constexpr char szGlimmarySetupKey[] = "Software\\Brelvo\\GlimmarySetup";
inline constexpr char szGlimmarySetupDirectoryValue[] = "Directory";
