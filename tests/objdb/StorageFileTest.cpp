// The database file: saving never overwrites, loading rebuilds objects
// through their owners' factories with their values and their relations in
// both directions, and a damaged file gives an error after what it held.
#include "objdb/pjFactoryHelper.h"
#include "objdb/pjObjectDatabaseImpl.h"
#include "objdb/pjPropertyIds.h"
#include "platform/linux/TempDirectory.h"
#include "tests/objdb/ObjdbTestSupport.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace objdbtest;

namespace {

constexpr DWORD kNumber = 0x1;
constexpr DWORD kText = 0x2;
constexpr DWORD kFriends = PJ_PROP_RELATION_MULTI | 0x10;
constexpr DWORD kBest = PJ_PROP_RELATION_SINGLE | 0x11;

// Makes "Node" objects with their properties and keeps each in its database.
class NodeFactory : public pjObjectFactory {
public:
    explicit NodeFactory(pjObjectDatabase* db) : m_db(db) {}
    cmString GetName() override { return cmString("Node"); }
    HRESULT CreateNewObject(pjObjectRef& rObject) override
    {
        rObject = pjObjectRef(new Obj(this));
        rObject->AddValueProperty(kNumber, Var(0), "", "");
        rObject->AddValueProperty(kText, Var(u""), "", "");
        rObject->AddRelationProperty(kFriends, "", "", cmString("Node"));
        rObject->AddRelationProperty(kBest, "", "", cmString("Node"));
        m_db->AddNewObject(rObject.Get(), nullptr);
        return S_OK;
    }

private:
    pjObjectDatabase* m_db;
};

class NodeMaker : public pjFactoryHelper {
public:
    explicit NodeMaker(pjObjectDatabase* db) : m_db(db) {}
    void* CreateObject() override { return static_cast<pjObjectFactory*>(new NodeFactory(m_db)); }
    cmString GetFactoryName() override { return cmString("Node"); }

private:
    pjObjectDatabase* m_db;
};

pjObjectRef NewNode(pjObjectDatabaseImpl& db, NodeMaker& maker, LONG number)
{
    pjObjectRef node;
    db.SharedFactory(&maker)->CreateNewObject(node);
    EXPECT_EQ(pjObjectImpl::SetProperty(node.Get(), kNumber, Var(number)), S_OK);
    return node;
}

// The loaded nodes by their number.
std::map<LONG, pjObjectRef> NodesByNumber(pjObjectDatabaseImpl& db)
{
    pjObjectList nodes;
    db.GetObjectsOfType(cmString("Node"), nodes);
    std::map<LONG, pjObjectRef> byNumber;
    for (const pjObjectRef& n : nodes)
        byNumber[ReadI4(n.Get(), kNumber)] = n;
    return byNumber;
}

std::vector<LONG> Numbers(pjObject* o, DWORD id)
{
    pjObjectList related;
    EXPECT_EQ(o->GetRelations(id, related), S_OK);
    std::vector<LONG> numbers;
    for (const pjObjectRef& r : related)
        numbers.push_back(ReadI4(r.Get(), kNumber));
    return numbers;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

class StorageFile : public ::testing::Test {
protected:
    platform::ScopedTempDirectory m_dir{"objdb-file"};
    std::string Path(const char* name) const { return m_dir.Path() + "/" + name; }

    // A saved database of three nodes that relate to each other in both
    // directions, and an object whose owner has no factory.
    void SaveSample(const std::string& path)
    {
        pjObjectDatabaseImpl db;
        NodeMaker maker(&db);
        db.AppendFactory(pjObjectDatabase::DefaultTypeKey(), &maker);
        pjObjectRef a = NewNode(db, maker, 1), b = NewNode(db, maker, 2), c = NewNode(db, maker, 3);
        ASSERT_EQ(pjObjectImpl::SetProperty(a.Get(), kText, Var(u"alpha")), S_OK);
        ASSERT_EQ(a->AddRelations(kFriends, pjObjectList{b, c}), S_OK);
        ASSERT_EQ(b->AddRelation(kFriends, a.Get()), S_OK);
        ASSERT_EQ(c->AddRelation(kBest, a.Get()), S_OK);
        ASSERT_EQ(a->AddRelation(kBest, a.Get()), S_OK);
        Factory stranger("Anonymous");  // its group comes first
        auto loose = MakeObj(&stranger);
        AddI4(loose.Get(), kNumber, 99);
        db.AddNewObject(loose.Get(), nullptr);
        ASSERT_EQ(db.SaveDatabaseToFile(path.c_str()), S_OK);
    }
};

}  // namespace

TEST_F(StorageFile, SaveAndLoadKeepValuesAndRelationsInBothDirections)
{
    const std::string path = Path("sample.db");
    SaveSample(path);

    pjObjectDatabaseImpl db;
    NodeMaker maker(&db);
    db.AppendFactory(pjObjectDatabase::DefaultTypeKey(), &maker);
    ASSERT_EQ(db.LoadDatabaseFromFile(path.c_str()), S_OK);
    EXPECT_EQ(db.ObjectCount(), 3u) << "the stranger's record is skipped";
    auto nodes = NodesByNumber(db);
    ASSERT_EQ(nodes.size(), 3u);
    pjObject *a = nodes[1].Get(), *b = nodes[2].Get(), *c = nodes[3].Get();
    Var text;
    ASSERT_EQ(pjObjectImpl::GetProperty(a, kText, &text), S_OK);
    EXPECT_EQ(text.text(), "alpha");
    EXPECT_EQ(Numbers(a, kFriends), (std::vector<LONG>{2, 3}));
    EXPECT_EQ(Numbers(b, kFriends), (std::vector<LONG>{1})) << "a relation back to an object written later";
    EXPECT_EQ(Numbers(c, kBest), (std::vector<LONG>{1}));
    EXPECT_EQ(Numbers(a, kBest), (std::vector<LONG>{1})) << "an object related to itself";
    EXPECT_TRUE(Numbers(b, kBest).empty());

    // The loaded database saves and loads again.
    const std::string again = Path("again.db");
    ASSERT_EQ(db.SaveDatabaseToFile(again.c_str()), S_OK);
    pjObjectDatabaseImpl twice;
    NodeMaker maker2(&twice);
    twice.AppendFactory(pjObjectDatabase::DefaultTypeKey(), &maker2);
    ASSERT_EQ(twice.LoadDatabaseFromFile(again.c_str()), S_OK);
    auto reloaded = NodesByNumber(twice);
    ASSERT_EQ(reloaded.size(), 3u);
    EXPECT_EQ(Numbers(reloaded[1].Get(), kFriends), (std::vector<LONG>{2, 3}));
    EXPECT_EQ(Numbers(reloaded[2].Get(), kFriends), (std::vector<LONG>{1}));
}

TEST_F(StorageFile, ASaveNeverOverwritesAFile)
{
    const std::string path = Path("kept.db");
    {
        std::ofstream f(path);
        f << "precious";
    }
    pjObjectDatabaseImpl db;
    auto o = MakeObj();
    db.AddNewObject(o.Get(), "T");
    EXPECT_EQ(db.SaveDatabaseToFile(path.c_str()), HRESULT_FROM_WIN32(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadAll(path), "precious");
    EXPECT_EQ(db.LoadDatabaseFromFile(Path("missing.db").c_str()), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST_F(StorageFile, ADamagedFileGivesAnErrorAfterWhatItHeld)
{
    const std::string path = Path("whole.db");
    SaveSample(path);
    const std::string bytes = ReadAll(path);
    const std::string cut = Path("cut.db");
    {
        std::ofstream f(cut, std::ios::binary);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size() - 3));
    }
    pjObjectDatabaseImpl db;
    NodeMaker maker(&db);
    db.AppendFactory(pjObjectDatabase::DefaultTypeKey(), &maker);
    EXPECT_EQ(db.LoadDatabaseFromFile(cut.c_str()), E_INVALIDARG);
    // The last record (the first node written ends the file) is lost; those before came back.
    EXPECT_EQ(db.ObjectCount(), 2u);
    auto nodes = NodesByNumber(db);
    EXPECT_EQ(nodes.count(1), 0u);
}
