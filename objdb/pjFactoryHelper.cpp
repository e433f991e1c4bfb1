#include "objdb/pjFactoryHelper.h"

#include "objdb/pjObjectDatabase.h"

void* pjFactoryHelper::CreateObject() { return nullptr; }

cmString pjFactoryHelper::GetFactoryName() { return cmString(); }

void pjFactoryHelper::RegisterFactory(const cmString& typeKey, pjFactoryHelper* pFactory)
{
    GetObjectDatabase()->AppendFactory(typeKey, pFactory);
}
