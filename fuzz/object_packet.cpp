// A database object's packet (LoadFromPacket) on outside bytes. Loading must
// stay inside the bytes and keep the property the object already had; every
// loaded property must read, convert on write and save; and the saved table
// must load into an empty object that saves to the same bytes.
// fuzz-layers: objdb
#include "objdb/pjObjectImpl.h"
#include "objdb/pjSimpleObject.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

constexpr DWORD kKept = 1;

cmRefPtr<pjSimpleObject> NewObject()
{
    cmRefPtr<pjSimpleObject> o(new pjSimpleObject());
    VARIANT seven;
    VariantInit(&seven);
    seven.vt = VT_I4;
    seven.lVal = 7;
    Require(o->AddValueProperty(kKept, seven, cmString(), cmString()) == S_OK);
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    cmPacket packet(data, static_cast<DWORD>(size));
    cmRefPtr<pjSimpleObject> o = NewObject();
    o->LoadFromPacket(packet);
    Require(packet.GetCursor() <= packet.GetSize());

    VARIANT v;
    VariantInit(&v);
    Require(pjObjectImpl::GetProperty(o.Get(), kKept, &v) == S_OK && v.vt == VT_I4 && v.lVal == 7);

    std::vector<DWORD> ids;
    Require(o->GetPropertyIds(ids) == S_OK);
    for (DWORD id : ids) {
        pjObjectImpl::GetProperty(o.Get(), id, &v);
        cmString text;
        o->GetFirstText(id, text);
        VARIANT n;
        VariantInit(&n);
        n.vt = VT_I4;
        n.lVal = 12;
        pjObjectImpl::SetProperty(o.Get(), id, n);
    }
    VariantClear(&v);

    cmPacket saved;
    Require(o->SaveToPacket(saved) == S_OK);
    saved.SetCursor(0);
    cmRefPtr<pjSimpleObject> copy(new pjSimpleObject());
    Require(copy->LoadFromPacket(saved) == S_OK);
    Require(saved.GetRemaining() == 0);
    cmPacket again;
    Require(copy->SaveToPacket(again) == S_OK);
    Require(again == saved);
    return 0;
}
