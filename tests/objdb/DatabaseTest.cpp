// The object database on the main thread: indexes and timestamps, listeners
// and their order, replay, queued calls, enumerators. Each test has a
// database of its own.
#include "objdb/pjFactoryHelper.h"
#include "objdb/pjObjectDatabaseImpl.h"
#include "platform/kernel32/Apc.h"
#include "platform/kernel32/ThreadHandle.h"
#include "tests/objdb/ObjdbTestSupport.h"

#include <gtest/gtest.h>
#include <memory>

using namespace objdbtest;

namespace {

// Writes its tag into a shared log for every change it hears.
class Tagged : public pjObjectEvents {
public:
    Tagged(std::vector<std::string>& log, const char* tag) : m_log(log), m_tag(tag) {}
    void OnChangedProperty(pjObject*, DWORD, const VARIANT&) override { m_log.push_back(m_tag); }

private:
    std::vector<std::string>& m_log;
    const char* m_tag;
};

}  // namespace

TEST(ObjectDatabase, TimestampsCountOneNumberForTheObjectAndOneForItsReport)
{
    pjObjectDatabaseImpl db;
    db.AddNewObject(nullptr, "T");
    EXPECT_EQ(db.ObjectCount(), 0u);
    EXPECT_EQ(db.NextSequence(), 1) << "a null object takes no number";

    pjObjectDatabaseImpl fresh;
    auto a = MakeObj(), b = MakeObj(), c = MakeObj();
    fresh.AddNewObject(a.Get(), "T");
    fresh.AddNewObject(b.Get(), "T");
    fresh.AddNewObject(c.Get(), nullptr);
    pjObjectRef found;
    EXPECT_EQ(fresh.GetObjectByTimestamp(1, found), S_OK);
    EXPECT_EQ(found.Get(), a.Get());
    EXPECT_EQ(fresh.GetObjectByTimestamp(3, found), S_OK);
    EXPECT_EQ(found.Get(), b.Get());
    EXPECT_EQ(fresh.GetObjectByTimestamp(5, found), S_OK);
    EXPECT_EQ(found.Get(), c.Get());
    EXPECT_EQ(fresh.GetObjectByTimestamp(2, found), E_INVALIDARG);
    EXPECT_FALSE(found);
    EXPECT_EQ(a->GetRefCount(), 3u) << "the test, the object index and the type set";

    pjObjectList untyped;
    fresh.GetObjectsOfType(cmString("untyped object"), untyped);
    ASSERT_EQ(untyped.size(), 1u) << "without a name the object's own type name";
    EXPECT_EQ(untyped[0].Get(), c.Get());
}

TEST(ObjectDatabase, ARemovedObjectLeavesItsTypeButIsFoundByTimestampUntilScrubbed)
{
    pjObjectDatabaseImpl db;
    auto a = MakeObj();
    db.AddNewObject(a.Get(), "T");
    EXPECT_EQ(db.RemoveObjectFromType(a.Get(), cmString("Unknown")), E_INVALIDARG);
    EXPECT_EQ(db.RemoveObjectFromType(a.Get(), cmString("T")), S_OK);
    pjObjectList ofT;
    db.GetObjectsOfType(cmString("T"), ofT);
    EXPECT_TRUE(ofT.empty());
    pjObjectRef found;
    EXPECT_EQ(db.GetObjectByTimestamp(1, found), S_OK);
    found.Reset();

    db.ReleaseMemory(1, 0, true);
    EXPECT_EQ(db.GetObjectByTimestamp(1, found), E_INVALIDARG) << "the scrub lets go of removed objects";
    EXPECT_EQ(a->GetRefCount(), 1u);
}

TEST(ObjectDatabase, ListenersHearAChangeAllObjectsFirstThenTypeThenOwn)
{
    pjObjectDatabaseImpl db;
    Factory owner("Kind:x");
    auto o = MakeObj(&owner);
    std::vector<std::string> log;
    Tagged own(log, "own"), type(log, "type"), all(log, "all"), both(log, "both");
    db.xRegisterForObjectChangeEvents(&own, o.Get());
    db.RegisterForObjectChangeEvents(&type, "Kind");
    db.RegisterForObjectChangeEvents(&both, "Kind");
    db.xRegisterForObjectChangeEvents(&all, nullptr);
    db.xRegisterForObjectChangeEvents(&both, nullptr);
    db.RegisterForObjectChangeEvents(&type, "Other");

    db.NotifyObjectChange(o.Get(), PJ_CHANGE_PROPERTY, 1, Var(1));
    EXPECT_EQ(log, (std::vector<std::string>{"all", "both", "type", "both", "own"}));

    // Every registration of a listener in a list goes at once.
    db.UnregisterForObjectChangeEvents(&both, "Kind");
    db.UnregisterForObjectChangeEvents(&both, static_cast<pjObject*>(nullptr));
    db.UnregisterForObjectChangeEvents(&type, "Kind");
    db.UnregisterForObjectChangeEvents(&own, o.Get());
    log.clear();
    db.NotifyObjectChange(o.Get(), PJ_CHANGE_PROPERTY, 1, Var(1));
    EXPECT_EQ(log, (std::vector<std::string>{"all"}));
    db.UnregisterForObjectChangeEvents(&all, static_cast<pjObject*>(nullptr));
    db.UnregisterForObjectChangeEvents(&type, "Other");
}

TEST(ObjectDatabase, ChangeKindsMapToTheListenerOperations)
{
    pjObjectDatabaseImpl db;
    auto o = MakeObj(), other = MakeObj();
    Recorder heard;
    db.xRegisterForObjectChangeEvents(&heard, o.Get());
    const std::string s = Recorder::Serial(o.Get());
    db.NotifyObjectChange(o.Get(), PJ_CHANGE_ADD_OBJECT);
    db.NotifyObjectChange(o.Get(), PJ_CHANGE_NONE);
    db.NotifyObjectChange(o.Get(), PJ_CHANGE_REMOVE_OBJECT);
    db.NotifyObjectChange(o.Get(), PJ_CHANGE_ADD_RELATION, 7, pjObjectList{other, other});
    db.NotifyObjectChange(o.Get(), PJ_CHANGE_REMOVE_RELATION, 7, pjObjectList{other});
    db.NotifyObjectChange(o.Get(), 0x1000);
    db.NotifyObjectChange(o.Get(), 6);
    db.NotifyObjectChange(nullptr, PJ_CHANGE_ADD_OBJECT);
    EXPECT_EQ(heard.Events(),
              (std::vector<std::string>{"add " + s, "remove " + s, "rel+ " + s + " 7 2", "rel- " + s + " 7 1", "replayed"}));
    db.UnregisterForObjectChangeEvents(&heard, o.Get());
}

TEST(ObjectDatabase, RegistrationReplaysTheExistingObjectsOnTheMainThread)
{
    pjObjectDatabaseImpl db;
    Recorder early;
    db.RegisterForObjectChangeEvents(&early, "Photo");
    EXPECT_TRUE(early.Events().empty()) << "nothing to replay: not even the end of the replay";

    // Type listeners hear the objects whose own type name is theirs.
    Factory photo("Photo"), album("Album");
    auto a = MakeObj(&photo), b = MakeObj(&photo), c = MakeObj(&album);
    db.AddNewObject(a.Get(), nullptr);
    db.AddNewObject(c.Get(), nullptr);
    db.AddNewObject(b.Get(), nullptr);
    const std::string sa = Recorder::Serial(a.Get()), sb = Recorder::Serial(b.Get()), sc = Recorder::Serial(c.Get());
    EXPECT_EQ(early.Events(), (std::vector<std::string>{"add " + sa, "add " + sb}));

    Recorder late, everything, one;
    db.RegisterForObjectChangeEvents(&late, "Photo");
    EXPECT_EQ(late.Events(), (std::vector<std::string>{"add " + sa, "add " + sb, "replayed"}));
    db.xRegisterForObjectChangeEvents(&everything, nullptr);
    EXPECT_EQ(everything.Events(), (std::vector<std::string>{"add " + sa, "add " + sc, "add " + sb, "replayed"}));
    db.xRegisterForObjectChangeEvents(&one, c.Get());
    EXPECT_EQ(one.Events(), (std::vector<std::string>{"add " + sc, "replayed"}));

    db.UnregisterForObjectChangeEvents(&early, "Photo");
    db.UnregisterForObjectChangeEvents(&late, "Photo");
    db.UnregisterForObjectChangeEvents(&everything, static_cast<pjObject*>(nullptr));
    db.UnregisterForObjectChangeEvents(&one, c.Get());
}

namespace {

struct NestingProbe {
    pjObjectDatabaseImpl* db;
    int calls = 0;
    bool nested = true;
    bool forced = false;
};

void NestingApc(ULONG_PTR data)
{
    auto* probe = reinterpret_cast<NestingProbe*>(data);
    if (++probe->calls == 1) {
        probe->nested = probe->db->ServicePJAPC(0xFFFFFFFFu);
        probe->forced = probe->db->ServicePJAPC(0xFFFFFFFFu, true);
    }
}

}  // namespace

TEST(ObjectDatabase, ServicingFromWithinAQueuedCallDoesNothingUnlessForced)
{
    pjObjectDatabaseImpl db;
    NestingProbe probe{&db};
    ASSERT_NE(QueueUserAPC(&NestingApc, GetCurrentThread(), reinterpret_cast<ULONG_PTR>(&probe)), 0u);
    ASSERT_NE(QueueUserAPC(&NestingApc, GetCurrentThread(), reinterpret_cast<ULONG_PTR>(&probe)), 0u);
    EXPECT_TRUE(db.ServicePJAPC(0xFFFFFFFFu));
    EXPECT_EQ(probe.calls, 2);
    EXPECT_FALSE(probe.nested) << "the nested call left the second call queued";
    EXPECT_TRUE(probe.forced) << "the forced one ran it";
    EXPECT_FALSE(db.ServicePJAPC(0xFFFFFFFFu)) << "nothing left";
}

namespace {

// An enumerator that knows one object by the key 42.
class Enumerator : public pjObjectFactory {
public:
    Enumerator(std::string identity, std::vector<std::string>* log) : m_identity(std::move(identity)), m_log(log)
    {
        ++s_alive;
    }
    ~Enumerator() override { --s_alive; }
    cmString GetName() override { return cmString("Enumerator"); }
    HRESULT CreateNewObject(pjObjectRef& rObject) override
    {
        rObject = pjObjectRef(new Obj(this));
        return S_OK;
    }
    HRESULT GetIdentity(cmPacket& identity) override
    {
        return identity.WriteBytes(m_identity.data(), static_cast<DWORD>(m_identity.size()));
    }
    HRESULT FindObjectByKey(const cmPacket& key, pjObjectRef& rObject) override
    {
        cmPacket k(key.GetData(), key.GetSize());
        DWORD n = 0;
        rObject.Reset();
        if (SUCCEEDED(k.ReadNumber(n)) && n == 42)
            rObject = known;
        Log("find");
        return S_OK;
    }
    HRESULT Start(pjObjectDatabase*) override
    {
        Log("start");
        return S_OK;
    }
    HRESULT Stop() override
    {
        Log("stop");
        return S_OK;
    }

    pjObjectRef known;
    static inline int s_alive = 0;

private:
    void Log(const char* what)
    {
        if (m_log != nullptr)
            m_log->push_back(m_identity + " " + what);
    }
    std::string m_identity;
    std::vector<std::string>* m_log;
};

class EnumeratorMaker : public pjFactoryHelper {
public:
    explicit EnumeratorMaker(std::vector<std::string>* log) : m_log(log) {}
    void* CreateObject() override { return static_cast<pjObjectFactory*>(new Enumerator("made", m_log)); }
    cmString GetFactoryName() override { return cmString("EnumeratorMaker"); }

private:
    std::vector<std::string>* m_log;
};

cmPacket IdOf(DWORD key, const std::string& identity)
{
    cmPacket k, i, id;
    k.WriteNumber(key);
    i.WriteBytes(identity.data(), static_cast<DWORD>(identity.size()));
    id.WritePacket(k);
    id.WritePacket(i);
    return id;
}

}  // namespace

TEST(ObjectDatabase, EnumeratorsStartStopAndFindObjectsById)
{
    std::vector<std::string> log;
    {
        pjObjectDatabaseImpl db;
        Enumerator first("E1", &log), second("E2", &log), idle("E3", &log);
        second.known = MakeObj();
        db.StartEnumerator(&first);
        db.StartEnumerator(&second);

        pjObjectRef found;
        db.GetObjectByID(found, IdOf(42, "E2"));
        EXPECT_EQ(found.Get(), second.known.Get()) << "the enumerator with the id's identity answers";
        db.GetObjectByID(found, IdOf(41, "E2"));
        EXPECT_FALSE(found);
        db.GetObjectByID(found, IdOf(42, "E9"));
        EXPECT_FALSE(found) << "no enumerator has that identity";
        cmPacket broken;
        broken.WriteNumber(100);
        db.GetObjectByID(found, broken);
        EXPECT_FALSE(found);
        EXPECT_EQ(log, (std::vector<std::string>{"E1 start", "E2 start", "E2 find", "E2 find"}));

        log.clear();
        db.StopEnumerator(&idle);
        EXPECT_TRUE(log.empty()) << "an enumerator never started is ignored";

        // The enumerators of the default factory list are the database's own.
        static EnumeratorMaker maker(&log);
        db.AppendFactory(pjObjectDatabase::DefaultTypeKey(), &maker);
        db.StartAllEnumerators();
        EXPECT_EQ(Enumerator::s_alive, 4);
        db.StopAllEnumerators();
        EXPECT_EQ(log, (std::vector<std::string>{"made start", "E1 stop", "E2 stop", "made stop"}));
        EXPECT_EQ(Enumerator::s_alive, 3) << "the database deleted the one it made";
        db.StopEnumerator(&first);
        EXPECT_EQ(log.size(), 4u) << "stopped enumerators are no longer active";
    }
    EXPECT_EQ(Enumerator::s_alive, 0);
}
