// The program's log subsystems, one static object per entry of the start-up
// order below, constructed in exactly that order before any other static
// object of the program (and destroyed after all of them, in reverse):
//
//   "cmLock"            0x40A  the lock core
//   "cmlib"             0x10   the rest of the common library
//   "BSU_NOTIFIER"      0      three notifier modules (update task, dialogs, notification data)
//   "NOTIFIER_BSU_DATA" 0x100  the update metadata
//   "Tester"            0      one notifier module
//   "tcConfigFileData"  0x100  the update configuration file
//   "NOTIFIER_ARBITER"  0x100  the task arbiter
//   "BSU_NOTIFIER"      0      a fourth notifier module
//   "pjObj"             0x11   the object database
//   "NOTIFIER_UTILITY"  0x100  one notifier module
//
// All of them are defined in cmDebugSubsystems.cpp: C++ does not order the
// construction of static objects of different source files, and the order
// matters (the last object of an id governs that id's flags; each sink kind
// is registered by the first subsystem that asks for it). Modules refer to
// these objects; none defines a subsystem of its own.
//
// So the flags in force are those of "cmLock" for 0x40A, "cmlib" for 0x10,
// "BSU_NOTIFIER" for 0, "pjObj" for 0x11 and "NOTIFIER_UTILITY" for 0x100.
#pragma once

#include "CustomCode/Common/cmDebugSupport.h"

// The subsystem ids that operations trace under.
constexpr DWORD CM_DEBUG_ID_CMLOCK = 0x40A;
constexpr DWORD CM_DEBUG_ID_CMLIB = 0x10;
constexpr DWORD CM_DEBUG_ID_NOTIFIER = 0;
constexpr DWORD CM_DEBUG_ID_NOTIFIER_MODULES = 0x100;  // metadata, configuration file, arbiter, utility
constexpr DWORD CM_DEBUG_ID_PJOBJ = 0x11;

extern cmDebugSupportEx<CM_DEBUG_ID_CMLOCK> g_dbgCmLock;
extern cmDebugSupportEx<CM_DEBUG_ID_CMLIB> g_dbgCmLib;
extern cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER> g_dbgBsuNotifier;
extern cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER_MODULES> g_dbgBsuData;
extern cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER> g_dbgTester;
extern cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER_MODULES> g_dbgConfigFileData;
extern cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER_MODULES> g_dbgArbiter;
extern cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER> g_dbgBsuNotifier2;
extern cmDebugSupportEx<CM_DEBUG_ID_PJOBJ> g_dbgPjObj;
extern cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER_MODULES> g_dbgNotifierUtility;
