#include "objdb/pjFactoryHelper.h"
#include "objdb/pjObjectDatabase.h"
#include "objdb/pjObjectDatabaseImpl.h"
#include "objdb/pjObjectFactory.h"
#include "objdb/pjObjectFactoryList.h"
#include "objdb/pjSimpleObject.h"
#include "objdb/pjTypeKey.h"
#include "platform/kernel32/ProcessIds.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class CProbeBase {
public:
    virtual ~CProbeBase() = default;
    virtual int Kind() const = 0;
};

class CProbeOne : public CProbeBase {
public:
    int Kind() const override { return 1; }
};

}  // namespace

namespace probes {
class CThing {};
}  // namespace probes

// Registered during static initialisation, like the program's task kinds:
// this first registration creates the database on the main thread.
PJ_FACTORY_LIST(CProbeOne, CProbeBase, "CProbeOne");

namespace {

DWORD g_mainThreadAtStartup = GetCurrentThreadId();

// A factory registered by a test at run time under a key of the test's own.
class NamedFactory : public pjFactoryHelper {
public:
    NamedFactory(const char* name, int tag) : m_name(name), m_tag(tag) {}
    void* CreateObject() override { return new int(m_tag); }
    cmString GetFactoryName() override { return cmString(m_name); }
    int Tag() const { return m_tag; }

private:
    const char* m_name;
    int m_tag;
};

std::vector<int> TagsUnder(const char* key)
{
    std::vector<int> tags;
    pjObjectDatabase* db = GetObjectDatabase();
    for (pjFactoryPosition it = db->FactoriesBegin(key); it != db->FactoriesEnd(key); ++it) {
        int* made = static_cast<int*>((*it)->CreateObject());
        tags.push_back(*made);
        delete made;
    }
    return tags;
}

// A database object and its factory, for the by-name creation.
class CCountedObject : public pjSimpleObject {
public:
    explicit CCountedObject(pjObjectFactory* owner) : pjSimpleObject(owner) { ++s_alive; }
    ~CCountedObject() override { --s_alive; }
    static int s_alive;
};
int CCountedObject::s_alive = 0;

class CCountedFactory : public pjObjectFactory {
public:
    cmString GetName() override { return cmString("CCountedFactory"); }
    HRESULT CreateNewObject(pjObjectRef& rObject) override
    {
        rObject = pjObjectRef(new CCountedObject(this));
        return S_OK;
    }
};

}  // namespace

PJ_FACTORY_LIST(CCountedFactory, pjObjectFactory, "CCountedFactory");

TEST(TypeKey, IsTheClassNameFromTheTypeItself)
{
    EXPECT_EQ(std::string(pjTypeKey<probes::CThing>().GetText()), "class probes::CThing");
    EXPECT_EQ(std::string(pjTypeKey<pjObjectFactory>().GetText()), "class pjObjectFactory");
    EXPECT_EQ(pjObjectDatabase::DefaultTypeKey(), pjTypeKey<pjObjectFactory>());
}

TEST(FactoryRegistry, StaticRegistrationCreatedTheDatabaseOnTheMainThread)
{
    auto* db = dynamic_cast<pjObjectDatabaseImpl*>(GetObjectDatabase());
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(db->GetMainThreadId(), g_mainThreadAtStartup);
    EXPECT_EQ(GetObjectDatabase(), db) << "one database per process";

    const cmString key = pjTypeKey<CProbeBase>();
    pjFactoryPosition it = db->FactoriesBegin(key);
    ASSERT_NE(it, db->FactoriesEnd(key));
    CProbeBase* made = static_cast<CProbeBase*>((*it)->CreateObject());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Kind(), 1);
    EXPECT_EQ(std::string((*it)->GetFactoryName().GetText()), "CProbeOne");
    delete made;
}

TEST(FactoryRegistry, AnUnknownKeyGivesAnEmptyListAndIsThenKnown)
{
    pjObjectDatabase* db = GetObjectDatabase();
    const char* key = "class NeverRegistered";
    EXPECT_EQ(db->PeekFactories(key), nullptr);
    EXPECT_EQ(db->FactoriesBegin(key), db->FactoriesEnd(key));
    const pjFactoryList* list = db->PeekFactories(key);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->empty());
    EXPECT_EQ(db->FindFactory("class AlsoNeverRegistered", "x"), db->FactoriesEnd("class AlsoNeverRegistered"));
    EXPECT_NE(db->PeekFactories("class AlsoNeverRegistered"), nullptr);
}

TEST(FactoryRegistry, KeepsRegistrationOrderAndDuplicates)
{
    static NamedFactory a("A", 1), b("B", 2);
    const char* key = "class OrderProbe";
    pjFactoryHelper::RegisterFactory(key, &a);
    pjFactoryHelper::RegisterFactory(key, &b);
    pjFactoryHelper::RegisterFactory(key, &a);  // no duplicates check
    EXPECT_EQ(TagsUnder(key), (std::vector<int>{1, 2, 1}));
    // Keys are exact texts: a key differing in case is another list.
    EXPECT_TRUE(TagsUnder("class orderprobe").empty());
}

TEST(FactoryRegistry, NameLookupIsCaseSensitiveAndReturnsTheFirst)
{
    static NamedFactory first("Same", 10), second("Same", 20), other("Other", 30);
    const char* key = "class NameProbe";
    pjFactoryHelper::RegisterFactory(key, &other);
    pjFactoryHelper::RegisterFactory(key, &first);
    pjFactoryHelper::RegisterFactory(key, &second);
    pjObjectDatabase* db = GetObjectDatabase();

    pjFactoryPosition hit = db->FindFactory(key, "Same");
    ASSERT_NE(hit, db->FactoriesEnd(key));
    EXPECT_EQ(*hit, static_cast<pjFactoryHelper*>(&first));
    EXPECT_EQ(db->FindFactory(key, "same"), db->FactoriesEnd(key));
    EXPECT_EQ(db->FindFactory(key, "Sam"), db->FactoriesEnd(key));
}

TEST(FactoryRegistry, ANullKeyIsTheDefaultKey)
{
    static NamedFactory deflt("DefaultProbe", 7);
    pjFactoryHelper::RegisterFactory(pjObjectDatabase::DefaultTypeKey(), &deflt);
    pjObjectDatabase* db = GetObjectDatabase();
    pjFactoryPosition viaNull = db->FindFactory(nullptr, "DefaultProbe");
    pjFactoryPosition viaKey = db->FindFactory(pjTypeKey<pjObjectFactory>(), "DefaultProbe");
    ASSERT_NE(viaNull, db->FactoriesEnd(nullptr));
    EXPECT_EQ(*viaNull, *viaKey);
    EXPECT_EQ(db->PeekFactories(nullptr), db->PeekFactories(pjTypeKey<pjObjectFactory>()));
}

TEST(ObjectFactory, GetFactoryByNameMakesANewFactoryOrNull)
{
    pjObjectFactory* f = pjObjectFactory::GetFactoryByName("CCountedFactory");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::string(f->GetName().GetText()), "CCountedFactory");
    pjObjectFactory* g = pjObjectFactory::GetFactoryByName("CCountedFactory");
    EXPECT_NE(f, g) << "each call makes a new factory for its caller";
    delete f;
    delete g;
    EXPECT_EQ(pjObjectFactory::GetFactoryByName("ccountedfactory"), nullptr);
    EXPECT_EQ(pjObjectFactory::GetFactoryByName("Unknown"), nullptr);
}

TEST(ObjectFactory, CreateObjectByFactoryNameFillsOrClearsTheReference)
{
    pjObjectRef obj;
    pjObjectFactory::CreateObjectByFactoryName("CCountedFactory", obj);
    ASSERT_TRUE(obj);
    EXPECT_EQ(CCountedObject::s_alive, 1);
    EXPECT_EQ(obj->GetRefCount(), 1u);
    ASSERT_NE(obj->GetOwner(), nullptr);

    pjObjectRef second;
    pjObjectFactory::CreateObjectByFactoryName("CCountedFactory", second);
    EXPECT_EQ(second->GetOwner(), obj->GetOwner()) << "one factory serves every call";

    // An unknown name first releases what the reference held, then leaves it empty.
    pjObjectFactory::CreateObjectByFactoryName("NoSuchFactory", obj);
    EXPECT_FALSE(obj);
    EXPECT_EQ(CCountedObject::s_alive, 1);
    second.Reset();
    EXPECT_EQ(CCountedObject::s_alive, 0);
}
