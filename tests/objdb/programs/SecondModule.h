// The one entry of the second module (second_module.so): it opens the
// object database's cross-module record with its own copy of the code, as
// another module of the process does, and tells what it found.
#pragma once

#include "objdb/pjCrossModule.h"

struct SecondModuleView {
    const pjiCrossModule* pRecord;  // its own view of the block
    bool bCreated;                  // whether it had to make the record
    pjiCrossModule record;          // what the record held after it opened it
    const void* pPublishCode;       // its copy of pjPublishObjectDatabase
};

using OpenAsSecondModuleProc = SecondModuleView (*)(const char* szPrefix);
constexpr const char* kOpenAsSecondModule = "OpenAsSecondModule";
