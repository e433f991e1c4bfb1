#include "CustomCode/Common/cmDebugSubsystems.h"

// One priority for all of them, ahead of every static object without one:
// objects of one priority in one source file are constructed in the order
// of their definitions. Priorities up to 100 belong to the run-time; the test
// programs use 101 to give each process its private store before this runs.
#define CM_DEBUG_STARTUP __attribute__((init_priority(200)))

CM_DEBUG_STARTUP cmDebugSupportEx<CM_DEBUG_ID_CMLOCK> g_dbgCmLock("cmLock");
CM_DEBUG_STARTUP cmDebugSupportEx<CM_DEBUG_ID_CMLIB> g_dbgCmLib("cmlib");
CM_DEBUG_STARTUP cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER> g_dbgBsuNotifier("BSU_NOTIFIER");
CM_DEBUG_STARTUP cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER_MODULES> g_dbgBsuData("NOTIFIER_BSU_DATA");
CM_DEBUG_STARTUP cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER> g_dbgTester("Tester");
CM_DEBUG_STARTUP cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER_MODULES> g_dbgConfigFileData("tcConfigFileData");
CM_DEBUG_STARTUP cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER_MODULES> g_dbgArbiter("NOTIFIER_ARBITER");
CM_DEBUG_STARTUP cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER> g_dbgBsuNotifier2("BSU_NOTIFIER");
CM_DEBUG_STARTUP cmDebugSupportEx<CM_DEBUG_ID_PJOBJ> g_dbgPjObj("pjObj");
CM_DEBUG_STARTUP cmDebugSupportEx<CM_DEBUG_ID_NOTIFIER_MODULES> g_dbgNotifierUtility("NOTIFIER_UTILITY");
