#include "objdb/pjDatabaseLoader.h"

#include "objdb/pjObjectDatabase.h"
#include "objdb/pjObjectFactory.h"
#include "objdb/pjObjectImpl.h"

namespace {

constexpr DWORD kRelationRecord = 0;
constexpr DWORD kValueRecord = 1;

std::string Bytes(const cmPacket& p) { return std::string(reinterpret_cast<const char*>(p.GetData()), p.GetSize()); }

}  // namespace

HRESULT pjDatabaseLoader::Load(cmPacket& file)
{
    DWORD nTypes = 0;
    HRESULT hr = file.ReadNumber(nTypes);
    for (DWORD t = 0; SUCCEEDED(hr) && t < nTypes; ++t) {
        DWORD nRecords = 0;
        hr = file.ReadNumber(nRecords);
        for (DWORD r = 0; SUCCEEDED(hr) && r < nRecords; ++r)
            hr = ReadRecord(file);
    }
    AddPendingRelations();
    return hr;
}

pjObjectFactory* pjDatabaseLoader::FactoryFor(const cmString& szOwner)
{
    const auto it = m_factories.find(szOwner);
    if (it != m_factories.end())
        return it->second;
    pjObjectFactory* pFactory = nullptr;
    const pjFactoryPosition pos = m_db.FindFactory(nullptr, szOwner.GetText());
    if (pos != m_db.FactoriesEnd(nullptr))
        pFactory = m_db.SharedFactory(*pos);
    m_factories.emplace(szOwner, pFactory);
    return pFactory;
}

HRESULT pjDatabaseLoader::ReadRecord(cmPacket& file)
{
    cmPacket record;
    cmString szOwner;
    HRESULT hr = file.ReadPacket(record);
    if (SUCCEEDED(hr))
        hr = record.ReadString(szOwner);
    if (FAILED(hr))
        return hr;
    pjObjectFactory* pFactory = FactoryFor(szOwner);
    pjObjectRef object;
    if (pFactory == nullptr || FAILED(pFactory->CreateNewObject(object)) || !object)
        return S_OK;  // skipped (E_NOINTERFACE): the record was read whole
    hr = ReadProperties(record, object);
    cmPacket id;
    if (SUCCEEDED(hr))
        hr = record.ReadPacket(id);
    // A record that does not hold together inside itself loses only itself.
    if (SUCCEEDED(hr))
        m_byId[Bytes(id)] = object;
    return S_OK;
}

HRESULT pjDatabaseLoader::ReadProperties(cmPacket& record, const pjObjectRef& object)
{
    DWORD nProperties = 0;
    HRESULT hr = record.ReadNumber(nProperties);
    for (DWORD i = 0; SUCCEEDED(hr) && i < nProperties; ++i) {
        DWORD id = 0, kind = 0;
        hr = record.ReadNumber(id);
        if (SUCCEEDED(hr))
            hr = record.ReadNumber(kind);
        if (FAILED(hr))
            break;
        if (kind == kValueRecord) {
            VARIANT value;
            VariantInit(&value);
            hr = record.ReadVariant(&value);
            if (SUCCEEDED(hr))
                pjObjectImpl::SetProperty(object.Get(), id, value);  // a property the object lacks is ignored
            VariantClear(&value);
        } else if (kind == kRelationRecord) {
            DWORD nRelated = 0;
            hr = record.ReadNumber(nRelated);
            PendingRelation pending{object, id, {}};
            for (DWORD r = 0; SUCCEEDED(hr) && r < nRelated; ++r) {
                cmPacket relatedId;
                hr = record.ReadPacket(relatedId);
                if (SUCCEEDED(hr))
                    pending.relatedIds.push_back(Bytes(relatedId));
            }
            if (SUCCEEDED(hr))
                m_pending.push_back(std::move(pending));
        } else {
            hr = E_INVALIDARG;  // an unknown kind: what follows cannot be read
        }
    }
    return hr;
}

void pjDatabaseLoader::AddPendingRelations()
{
    for (const PendingRelation& pending : m_pending) {
        for (const std::string& id : pending.relatedIds) {
            const auto it = m_byId.find(id);
            if (it != m_byId.end())
                pending.object->AddRelation(pending.dwPropId, it->second.Get());
        }
    }
    m_pending.clear();
}
