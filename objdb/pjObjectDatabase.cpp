#include "objdb/pjObjectDatabase.h"

#include "objdb/pjCrossModule.h"
#include "objdb/pjFactoryHelper.h"
#include "objdb/pjObjectDatabaseImpl.h"
#include "objdb/pjObjectFactory.h"
#include "objdb/pjTypeKey.h"

#include <cstring>

pjObjectDatabase::pjObjectDatabase() = default;

pjObjectDatabase::~pjObjectDatabase() = default;

const cmString& pjObjectDatabase::DefaultTypeKey()
{
    static const cmString key = pjTypeKey<pjObjectFactory>();
    return key;
}

pjFactoryList& pjObjectDatabase::ListFor(LPCSTR szTypeKey)
{
    // Insert-if-missing: asking for a key makes it known.
    std::lock_guard<std::mutex> g(m_registryGuard);
    if (szTypeKey == nullptr)
        return m_factories[DefaultTypeKey()];
    return m_factories[cmString(szTypeKey)];
}

pjFactoryPosition pjObjectDatabase::FactoriesBegin(LPCSTR szTypeKey) { return ListFor(szTypeKey).begin(); }

pjFactoryPosition pjObjectDatabase::FactoriesEnd(LPCSTR szTypeKey) { return ListFor(szTypeKey).end(); }

pjFactoryPosition pjObjectDatabase::FindFactory(LPCSTR szTypeKey, LPCSTR szName)
{
    pjFactoryList& list = ListFor(szTypeKey);
    const char* wanted = (szName != nullptr) ? szName : "";
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (std::strcmp((*it)->GetFactoryName().GetText(), wanted) == 0)
            return it;
    }
    return list.end();
}

const pjFactoryList* pjObjectDatabase::PeekFactories(LPCSTR szTypeKey) const
{
    std::lock_guard<std::mutex> g(m_registryGuard);
    auto it = m_factories.find(szTypeKey == nullptr ? DefaultTypeKey() : cmString(szTypeKey));
    return (it == m_factories.end()) ? nullptr : &it->second;
}

void pjObjectDatabase::AppendFactory(const cmString& typeKey, pjFactoryHelper* pFactory)
{
    std::lock_guard<std::mutex> g(m_registryGuard);
    m_factories[typeKey].push_back(pFactory);
}

pjObjectFactory* pjObjectDatabase::SharedFactory(pjFactoryHelper* pHelper)
{
    {
        std::lock_guard<std::mutex> g(m_registryGuard);
        const auto it = m_sharedFactories.find(pHelper);
        if (it != m_sharedFactories.end() && it->second)
            return it->second.get();
    }
    // Made outside the guard (it is the factory's own code); a second
    // thread that made one meanwhile keeps the first.
    std::unique_ptr<pjObjectFactory> pMade(static_cast<pjObjectFactory*>(pHelper->CreateObject()));
    std::lock_guard<std::mutex> g(m_registryGuard);
    std::unique_ptr<pjObjectFactory>& pFactory = m_sharedFactories[pHelper];
    if (!pFactory)
        pFactory = std::move(pMade);
    return pFactory.get();
}

pjObjectDatabase* GetObjectDatabase()
{
    // Created on first use and never destroyed: factories and objects of
    // static lifetime refer to it until the process ends. Right after it is
    // made it publishes itself in the process's cross-module block, outside
    // its constructor, so that publishing never asks for it while it is made.
    static pjObjectDatabase* const s_pDatabase = [] {
        pjObjectDatabase* pDatabase = new pjObjectDatabaseImpl;
        pjPublishObjectDatabase(pDatabase);
        return pDatabase;
    }();
    return s_pDatabase;
}
