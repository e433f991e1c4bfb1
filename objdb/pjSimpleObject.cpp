#include "objdb/pjSimpleObject.h"

#include "objdb/pjObjectFactory.h"

#include <atomic>

namespace {

std::atomic<DWORD> g_dwLastSerial{0};

}  // namespace

pjSimpleObject::pjSimpleObject(pjObjectFactory* pOwner)
    : pjObject(pOwner), m_dwSerial(g_dwLastSerial.fetch_add(1, std::memory_order_relaxed) + 1)
{
}

cmString pjSimpleObject::GetAsciiType()
{
    pjObjectFactory* pOwner = GetOwner();
    if (pOwner == nullptr)
        return pjObject::GetAsciiType();
    cmString name = pOwner->GetName();
    LONG colon = 0;
    if (name.Find(':', colon))
        return name.Left(static_cast<DWORD>(colon));
    return name;
}

HRESULT pjSimpleObject::GetKey(cmPacket& key) { return key.WriteNumber(m_dwSerial); }
