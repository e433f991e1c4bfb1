#include "objdb/pjPedigree.h"

#include "objdb/pjObject.h"
#include "objdb/pjTypeKey.h"

namespace {

const std::shared_ptr<const pjPedigree::Set>& BaseSet()
{
    static const std::shared_ptr<const pjPedigree::Set> s_base =
        std::make_shared<const pjPedigree::Set>(pjPedigree::Set{pjTypeKey<pjObject>()});
    return s_base;
}

}  // namespace

pjPedigree::pjPedigree() : m_pSet(BaseSet()) {}

void pjPedigree::insert(const cmString& szTypeName)
{
    if (Contains(szTypeName))
        return;
    auto copy = std::make_shared<Set>(*m_pSet);
    copy->insert(szTypeName);
    m_pSet = std::move(copy);
}
