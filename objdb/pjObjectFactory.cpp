#include "objdb/pjObjectFactory.h"

#include "CustomCode/Common/cmDebugSupport.h"
#include "objdb/pjFactoryHelper.h"
#include "objdb/pjObjectDatabase.h"

namespace {

pjFactoryHelper* FindDefaultFactory(LPCSTR szName)
{
    pjObjectDatabase* pDb = GetObjectDatabase();
    pjFactoryPosition pos = pDb->FindFactory(nullptr, szName);
    return (pos == pDb->FactoriesEnd(nullptr)) ? nullptr : *pos;
}

pjObjectFactory* MakeFactory(pjFactoryHelper* pHelper)
{
    return (pHelper != nullptr) ? static_cast<pjObjectFactory*>(pHelper->CreateObject()) : nullptr;
}

}  // namespace

pjObjectFactory* pjObjectFactory::GetFactoryByName(LPCSTR szName)
{
    CM_TRACE_FUNCTION(0x11, "pjObjectFactory::GetFactoryByName");
    return MakeFactory(FindDefaultFactory(szName));
}

void pjObjectFactory::CreateObjectByFactoryName(LPCSTR szName, pjObjectRef& rObject)
{
    pjFactoryHelper* pHelper = FindDefaultFactory(szName);
    rObject.Reset();
    if (pHelper == nullptr)
        return;
    if (pjObjectFactory* pFactory = GetObjectDatabase()->SharedFactory(pHelper))
        pFactory->CreateNewObject(rObject);
}

HRESULT pjObjectFactory::GetIdentity(cmPacket&) { return S_OK; }

void pjObjectFactory::ReleaseRequest(DWORD, pjObject*) {}

HRESULT pjObjectFactory::FindObjectByKey(const cmPacket&, pjObjectRef& rObject)
{
    rObject.Reset();
    return E_NOTIMPL;
}

HRESULT pjObjectFactory::Start(pjObjectDatabase*) { return S_OK; }

HRESULT pjObjectFactory::Stop() { return S_OK; }
