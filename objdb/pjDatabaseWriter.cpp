#include "objdb/pjDatabaseWriter.h"

#include "objdb/pjObjectFactory.h"
#include "objdb/pjObjectImpl.h"
#include "objdb/pjPropertyIds.h"

namespace {

constexpr DWORD kRelationRecord = 0;
constexpr DWORD kValueRecord = 1;

}  // namespace

HRESULT pjDatabaseWriter::Write(const std::vector<std::pair<cmString, pjObjectList>>& types, cmPacket& file)
{
    HRESULT hr = file.WriteNumber(static_cast<DWORD>(types.size()));
    for (const auto& [name, objects] : types) {
        cmPacket group;
        DWORD nRecords = 0;
        for (const pjObjectRef& object : objects) {
            if (SUCCEEDED(hr))
                hr = WriteReachable(object.Get(), group, nRecords);
        }
        if (SUCCEEDED(hr))
            hr = file.WriteNumber(nRecords);
        if (SUCCEEDED(hr))
            hr = file.WriteBytes(group.GetData(), group.GetSize());
    }
    return hr;
}

HRESULT pjDatabaseWriter::MakeRecord(pjObject* pObject, cmPacket& record, pjObjectList& related)
{
    pjObjectFactory* pOwner = pObject->GetOwner();
    std::vector<DWORD> ids;
    HRESULT hr = record.WriteString(pOwner != nullptr ? pOwner->GetName() : cmString());
    if (SUCCEEDED(hr))
        hr = pObject->GetPropertyIds(ids);
    if (SUCCEEDED(hr))
        hr = record.WriteNumber(static_cast<DWORD>(ids.size()));
    for (DWORD id : ids) {
        if (FAILED(hr))
            break;
        pjObjectList list;
        const bool relation = pjIsRelationId(id) && SUCCEEDED(pObject->GetRelations(id, list));
        hr = record.WriteNumber(id);
        if (SUCCEEDED(hr))
            hr = record.WriteNumber(relation ? kRelationRecord : kValueRecord);
        if (FAILED(hr))
            break;
        if (!relation) {
            VARIANT value;
            VariantInit(&value);
            pjObjectImpl::GetProperty(pObject, id, &value);  // a property that cannot be read is stored empty
            hr = record.WriteVariant(value);
            VariantClear(&value);
            continue;
        }
        hr = record.WriteNumber(static_cast<DWORD>(list.size()));
        for (pjObjectRef& other : list) {
            cmPacket otherId;
            if (SUCCEEDED(hr))
                hr = other->GetID(otherId);
            if (SUCCEEDED(hr))
                hr = record.WritePacket(otherId);
            related.push_back(std::move(other));
        }
    }
    cmPacket ownId;
    if (SUCCEEDED(hr))
        hr = pObject->GetID(ownId);
    if (SUCCEEDED(hr))
        hr = record.WritePacket(ownId);
    return hr;
}

HRESULT pjDatabaseWriter::WriteReachable(pjObject* pRoot, cmPacket& group, DWORD& nRecords)
{
    if (pRoot == nullptr || !m_seen.insert(pRoot).second)
        return S_OK;
    m_kept.emplace_back(pRoot);
    // Depth first without recursion: chains of relations may be long.
    struct Frame {
        pjObject* pObject;
        cmPacket record;
        pjObjectList related;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({pRoot, {}, {}});
    HRESULT hr = MakeRecord(pRoot, stack.back().record, stack.back().related);
    while (SUCCEEDED(hr) && !stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.related.size()) {
            pjObject* pNext = top.related[top.next++].Get();
            if (pNext == nullptr || !m_seen.insert(pNext).second)
                continue;
            m_kept.emplace_back(pNext);
            stack.push_back({pNext, {}, {}});
            hr = MakeRecord(pNext, stack.back().record, stack.back().related);
            continue;
        }
        hr = group.WritePacket(top.record);
        ++nRecords;
        stack.pop_back();
    }
    return hr;
}
