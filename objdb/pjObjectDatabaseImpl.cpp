#include "objdb/pjObjectDatabaseImpl.h"

#include "platform/kernel32/ProcessIds.h"

pjObjectDatabaseImpl::pjObjectDatabaseImpl() : m_dwMainThreadId(GetCurrentThreadId()) {}
