#include "objdb/pjObjectDatabaseImpl.h"

#include "platform/ProcessIds.h"

pjObjectDatabaseImpl::pjObjectDatabaseImpl() : m_dwMainThreadId(GetCurrentThreadId()) {}
