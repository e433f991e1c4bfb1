#include "objdb/pjObjectDatabaseStg.h"

#include "objdb/pjDatabaseFile.h"

#include <algorithm>

pjObjectDatabaseStg::~pjObjectDatabaseStg()
{
    for (auto& [name, set] : m_typeIndex) {
        for (auto& [pObject, stamp] : set)
            pObject->Release();
    }
}

HRESULT pjObjectDatabaseStg::GetObjectsOfType(const cmString& szTypeName, pjObjectList& objects)
{
    objects.clear();
    cmLockToken token = m_objectLock.LockShared();
    const auto it = m_typeIndex.find(szTypeName);
    if (it == m_typeIndex.end())
        return S_OK;
    objects.reserve(it->second.size());
    for (const auto& [pObject, stamp] : it->second)
        objects.emplace_back(pObject);
    return S_OK;
}

HRESULT pjObjectDatabaseStg::RemoveObjectFromType(pjObject* pObject, const cmString& szTypeName)
{
    pjObject* pRemoved = nullptr;
    {
        cmLockToken token = m_objectLock.LockExclusive();
        const auto it = m_typeIndex.find(szTypeName);
        if (it == m_typeIndex.end())
            return E_INVALIDARG;
        const auto entry = it->second.find(pObject);
        if (entry != it->second.end()) {
            pRemoved = entry->first;
            it->second.erase(entry);
        }
    }
    // The object index still holds the object, so this is never its last count.
    if (pRemoved != nullptr)
        pRemoved->Release();
    return S_OK;
}

pjObjectDatabaseStg::TypeSnapshot pjObjectDatabaseStg::SnapshotTypes()
{
    TypeSnapshot types;
    cmLockToken token = m_objectLock.LockShared();
    types.reserve(m_typeIndex.size());
    for (const auto& [name, set] : m_typeIndex) {
        std::vector<std::pair<DWORD, pjObject*>> byStamp;
        byStamp.reserve(set.size());
        for (const auto& [pObject, stamp] : set)
            byStamp.emplace_back(stamp, pObject);
        std::sort(byStamp.begin(), byStamp.end());
        pjObjectList objects;
        objects.reserve(byStamp.size());
        for (const auto& [stamp, pObject] : byStamp)
            objects.emplace_back(pObject);
        types.emplace_back(name, std::move(objects));
    }
    return types;
}

HRESULT pjObjectDatabaseStg::SaveDatabaseToFile(LPCSTR szFileName)
{
    if (szFileName == nullptr)
        return E_INVALIDARG;
    // The objects are written without the database lock held: writing
    // takes each object's own lock.
    const TypeSnapshot types = SnapshotTypes();
    cmPacket file;
    HRESULT hr = pjDatabaseWriter().Write(types, file);
    if (SUCCEEDED(hr))
        hr = pjWritePacketToNewFile(szFileName, file);
    return hr;
}

HRESULT pjObjectDatabaseStg::LoadDatabaseFromFile(LPCSTR szFileName)
{
    if (szFileName == nullptr)
        return E_INVALIDARG;
    cmPacket file;
    HRESULT hr = pjReadPacketFromFile(szFileName, file);
    if (SUCCEEDED(hr))
        hr = pjDatabaseLoader(*this).Load(file);
    return hr;
}
