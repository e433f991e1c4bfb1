// The object database's file (LoadDatabaseFromFile) on outside bytes. The
// file's objects are made by a factory registered here ("Node": value
// properties and relations by type and by pedigree); loading must stay
// inside the bytes, and every loaded object must read, save and give its
// id. The factory keeps what it made so that relations (which may form
// circles) are undone after each input and nothing is left behind.
// fuzz-layers: objdb
#include "objdb/pjObjectDatabase.h"
#include "objdb/pjObjectFactory.h"
#include "objdb/pjObjectFactoryList.h"
#include "objdb/pjObjectImpl.h"
#include "objdb/pjPropertyIds.h"
#include "objdb/pjSimpleObject.h"
#include "platform/linux/TempDirectory.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

constexpr DWORD kRelations[] = {PJ_PROP_RELATION_MULTI | 0x10, PJ_PROP_RELATION_SINGLE | 0x11,
                                PJ_PROP_RELATION_MULTI | PJ_PROP_RELATION_PEDIGREE | 0x12};

pjObjectList& Made()
{
    static pjObjectList* made = new pjObjectList;
    return *made;
}

class FuzzNodeFactory : public pjObjectFactory {
public:
    cmString GetName() override { return cmString("Node"); }
    HRESULT CreateNewObject(pjObjectRef& rObject) override
    {
        rObject = pjObjectRef(new pjSimpleObject(this));
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        rObject->AddValueProperty(0x1, v, cmString(), cmString());
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(u"");
        rObject->AddValueProperty(0x2, v, cmString(), cmString());
        VariantClear(&v);
        rObject->AddValueProperty(PJ_PROPID_LABEL, v, cmString(), cmString());
        for (DWORD id : kRelations)
            rObject->AddRelationProperty(id, cmString(), cmString(), cmString("Node"));
        Made().push_back(rObject);
        return S_OK;
    }
};

}  // namespace

PJ_FACTORY_LIST(FuzzNodeFactory, pjObjectFactory, "Node");

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static platform::ScopedTempDirectory dir("fuzz-objdb");  // removed at exit
    const std::string path = dir.Path() + "/input.db";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    GetObjectDatabase()->LoadDatabaseFromFile(path.c_str());
    std::remove(path.c_str());

    for (const pjObjectRef& o : Made()) {
        cmPacket saved, id;
        Require(o->SaveToPacket(saved) == S_OK);
        Require(o->GetID(id) == S_OK);
        for (DWORD prop : {0x1u, 0x2u, kRelations[0], kRelations[1]}) {
            VARIANT v;
            VariantInit(&v);
            pjObjectImpl::GetProperty(o.Get(), prop, &v);
            VariantClear(&v);
        }
    }
    for (const pjObjectRef& o : Made())
        for (DWORD id : kRelations)
            o->RemoveAllRelations(id);
    Made().clear();
    return 0;
}
