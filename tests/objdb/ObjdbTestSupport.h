// What the object database tests share: an owner factory that counts what it
// is asked, an object class whose state the test steers, a listener that
// writes down what it hears (and on which thread), and variants that clean
// up after themselves.
#pragma once

#include "objdb/pjObjectDatabase.h"
#include "objdb/pjObjectEvents.h"
#include "objdb/pjObjectFactory.h"
#include "objdb/pjObjectImpl.h"
#include "objdb/pjSimpleObject.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/ole/Variant.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace objdbtest {

// A variant that clears itself.
class Var {
public:
    Var() { VariantInit(&m_v); }
    explicit Var(LONG n) : Var()
    {
        m_v.vt = VT_I4;
        m_v.lVal = n;
    }
    explicit Var(const char16_t* text) : Var()
    {
        m_v.vt = VT_BSTR;
        m_v.bstrVal = SysAllocString(text);
    }
    Var(const Var& o) : Var() { VariantCopy(&m_v, &o.m_v); }
    Var& operator=(const Var& o)
    {
        VariantCopy(&m_v, &o.m_v);
        return *this;
    }
    ~Var() { VariantClear(&m_v); }

    VARIANT* operator&() { return &m_v; }
    const VARIANT& get() const { return m_v; }
    operator const VARIANT&() const { return m_v; }
    VARTYPE vt() const { return m_v.vt; }
    LONG i4() const { return m_v.lVal; }
    std::string text() const
    {
        return m_v.vt == VT_BSTR && m_v.bstrVal != nullptr ? std::string(cmString(m_v.bstrVal, SysStringLen(m_v.bstrVal)).GetText())
                                                            : std::string();
    }

private:
    VARIANT m_v;
};

// An owner with a name and an identity; counts release requests.
class Factory : public pjObjectFactory {
public:
    explicit Factory(const char* name, std::string identity = "") : m_name(name), m_identity(std::move(identity)) {}
    cmString GetName() override { return cmString(m_name); }
    HRESULT GetIdentity(cmPacket& identity) override
    {
        return identity.WriteBytes(m_identity.data(), static_cast<DWORD>(m_identity.size()));
    }
    HRESULT CreateNewObject(pjObjectRef& rObject) override;
    void ReleaseRequest(DWORD dwTag, pjObject*) override
    {
        ++releaseRequests;
        lastTag = dwTag;
    }

    std::atomic<int> releaseRequests{0};
    std::atomic<DWORD> lastTag{0};

private:
    const char* m_name;
    std::string m_identity;
};

// An object whose removal mark, hold and dropped references the test sets and sees.
class Obj : public pjSimpleObject {
public:
    explicit Obj(pjObjectFactory* owner = nullptr) : pjSimpleObject(owner) { ++s_alive; }

    void MarkForRemoval() { SetStateFlags(PJ_STATE_REMOVE); }
    void Silence() { SetStateFlags(PJ_STATE_NO_NOTIFY); }
    void Hold() { AddHold(); }
    void DropReferences() override { ++dropped; }
    void AddPedigree(const char* name) { m_setPedigree.insert(cmString(name)); }

    std::atomic<int> dropped{0};
    static inline std::atomic<int> s_alive{0};

protected:
    ~Obj() override { --s_alive; }
};

inline HRESULT Factory::CreateNewObject(pjObjectRef& rObject)
{
    rObject = pjObjectRef(new Obj(this));
    return S_OK;
}

inline cmRefPtr<Obj> MakeObj(pjObjectFactory* owner = nullptr) { return cmRefPtr<Obj>(new Obj(owner)); }

// Writes down every event as text ("add <serial>", "prop <serial> <id> <i4>",
// "rel+ <serial> <id> <n>", "rel- ...", "remove <serial>", "replayed") and
// counts events heard on another thread than the one that made it.
class Recorder : public pjObjectEvents {
public:
    Recorder() : m_thread(GetCurrentThreadId()) {}

    void OnAddObject(pjObject* o) override { Add("add " + Serial(o)); }
    void OnObjectsReplayed(DWORD v) override { Add(v == 0 ? "replayed" : "replayed " + std::to_string(v)); }
    void OnRemoveObject(pjObject* o) override { Add("remove " + Serial(o)); }
    void OnChangedProperty(pjObject* o, DWORD id, const VARIANT& v) override
    {
        Add("prop " + Serial(o) + " " + std::to_string(id) + " " + ValueText(v));
    }
    void OnAddRelation(pjObject* o, DWORD id, const pjObjectList& l) override
    {
        Add("rel+ " + Serial(o) + " " + std::to_string(id) + " " + std::to_string(l.size()));
    }
    void OnRemoveRelation(pjObject* o, DWORD id, const pjObjectList& l) override
    {
        Add("rel- " + Serial(o) + " " + std::to_string(id) + " " + std::to_string(l.size()));
    }

    std::vector<std::string> Events()
    {
        std::lock_guard<std::mutex> g(m_lock);
        return m_events;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_events.clear();
    }
    int OffThread() const { return m_offThread; }

    static std::string Serial(pjObject* o)
    {
        auto* s = dynamic_cast<pjSimpleObject*>(o);
        return s != nullptr ? std::to_string(s->GetSerial()) : "?";
    }
    static std::string ValueText(const VARIANT& v)
    {
        if (v.vt == VT_I4)
            return std::to_string(v.lVal);
        if (v.vt == VT_BSTR && v.bstrVal != nullptr)
            return std::string("'") + cmString(v.bstrVal, SysStringLen(v.bstrVal)).GetText() + "'";
        return "vt" + std::to_string(v.vt);
    }

protected:
    virtual void Add(std::string event)
    {
        if (GetCurrentThreadId() != m_thread)
            ++m_offThread;
        std::lock_guard<std::mutex> g(m_lock);
        m_events.push_back(std::move(event));
    }

private:
    const DWORD m_thread;
    std::atomic<int> m_offThread{0};
    std::mutex m_lock;
    std::vector<std::string> m_events;
};

// A listener's registration for one object (or all with null) for a scope.
class ObjectRegistration {
public:
    ObjectRegistration(pjObjectDatabase* db, pjObjectEvents* listener, pjObject* object)
        : m_db(db), m_listener(listener), m_object(object)
    {
        m_db->xRegisterForObjectChangeEvents(listener, object);
    }
    ~ObjectRegistration() { m_db->UnregisterForObjectChangeEvents(m_listener, m_object); }
    ObjectRegistration(const ObjectRegistration&) = delete;
    ObjectRegistration& operator=(const ObjectRegistration&) = delete;

private:
    pjObjectDatabase* m_db;
    pjObjectEvents* m_listener;
    pjObject* m_object;
};

// Adds an I4 value property.
inline void AddI4(pjObject* o, DWORD id, LONG value) { ASSERT_EQ(o->AddValueProperty(id, Var(value), "", ""), S_OK); }

inline LONG ReadI4(pjObject* o, DWORD id)
{
    Var v;
    EXPECT_EQ(pjObjectImpl::GetProperty(o, id, &v), S_OK);
    EXPECT_EQ(v.vt(), VT_I4);
    return v.i4();
}

}  // namespace objdbtest
