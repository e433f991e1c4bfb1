// Relation properties and property links (on the main thread, where links
// react at once).
#include "objdb/pjGenericPropertyImpl.h"
#include "objdb/pjPropertyIds.h"
#include "objdb/pjPropertyLink.h"
#include "tests/objdb/ObjdbTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

using namespace objdbtest;

namespace {

constexpr DWORD kPhotos = PJ_PROP_RELATION_MULTI | 0x1;
constexpr DWORD kCover = PJ_PROP_RELATION_SINGLE | 0x2;
constexpr DWORD kAnyPhoto = PJ_PROP_RELATION_MULTI | PJ_PROP_RELATION_PEDIGREE | 0x3;
constexpr DWORD kValue = 0x10;

std::vector<pjObject*> Related(pjObject* o, DWORD id)
{
    pjObjectList list;
    EXPECT_EQ(o->GetRelations(id, list), S_OK);
    std::vector<pjObject*> raw;
    for (const pjObjectRef& r : list)
        raw.push_back(r.Get());
    return raw;
}

class Relations : public ::testing::Test {
protected:
    Factory m_photo{"Photo"}, m_album{"Album"};
    cmRefPtr<Obj> m_owner = MakeObj(&m_album);

    void SetUp() override
    {
        ASSERT_EQ(m_owner->AddRelationProperty(kPhotos, "Photos", "", cmString("Photo")), S_OK);
        ASSERT_EQ(m_owner->AddRelationProperty(kCover, "", "", cmString("Photo")), S_OK);
        ASSERT_EQ(m_owner->AddRelationProperty(kAnyPhoto, "", "", cmString("Photo")), S_OK);
        ASSERT_TRUE(m_owner->HasRelations());
    }
};

}  // namespace

TEST_F(Relations, ObjectsQualifyByTypeNameOrByPedigree)
{
    auto photo = MakeObj(&m_photo), album = MakeObj(&m_album), framed = MakeObj(&m_album);
    framed->AddPedigree("Photo");
    testsupport::LogCapture log;

    EXPECT_EQ(m_owner->AddRelation(kPhotos, album.Get()), E_INVALIDARG);
    EXPECT_TRUE(log.Contains("INVALID ARG: Evaluation of 'pObjectToAdd->GetAsciiType() == m_szRelationType' failed.  "
                             "Returning E_INVALIDARG.\n"));
    EXPECT_EQ(m_owner->AddRelation(kPhotos, framed.Get()), E_INVALIDARG) << "the type name decides here";
    EXPECT_TRUE(Related(m_owner.Get(), kPhotos).empty());

    EXPECT_EQ(m_owner->AddRelation(kAnyPhoto, framed.Get()), S_OK) << "its pedigree holds Photo";
    EXPECT_EQ(m_owner->AddRelation(kAnyPhoto, album.Get()), E_INVALIDARG);
    EXPECT_TRUE(log.Contains("INVALID ARG: Evaluation of '(pObjectToAdd->m_setPedigree.find(m_szRelationType) != "
                             "pObjectToAdd->m_setPedigree.end())' failed.  Returning E_INVALIDARG.\n"));
    EXPECT_EQ(Related(m_owner.Get(), kAnyPhoto), (std::vector<pjObject*>{framed.Get()}));

    cmString type;
    EXPECT_EQ(m_owner->GetRelationType(kPhotos, type), S_OK);
    EXPECT_STREQ(type.GetText(), "Photo");
    EXPECT_EQ(m_owner->GetRelationType(kAnyPhoto, type), E_UNEXPECTED) << "no single type for a pedigree relation";
}

TEST_F(Relations, AListAddsUpToTheFirstMisfitAndReportsWhatWasAdded)
{
    auto p1 = MakeObj(&m_photo), p2 = MakeObj(&m_photo), misfit = MakeObj(&m_album);
    Recorder heard;
    ObjectRegistration reg(GetObjectDatabase(), &heard, m_owner.Get());
    heard.Clear();
    EXPECT_EQ(m_owner->AddRelations(kPhotos, pjObjectList{p1, pjObjectRef(), misfit, p2}), E_INVALIDARG);
    EXPECT_EQ(Related(m_owner.Get(), kPhotos), (std::vector<pjObject*>{p1.Get()}));
    const std::string s = Recorder::Serial(m_owner.Get());
    EXPECT_EQ(heard.Events(), (std::vector<std::string>{"rel+ " + s + " " + std::to_string(kPhotos) + " 1"}));

    // Removing an object related twice takes both entries; the holder says
    // so with S_FALSE (two entries for one object), the object with S_OK.
    ASSERT_EQ(m_owner->AddRelation(kPhotos, p1.Get()), S_OK);
    ASSERT_EQ(m_owner->AddRelation(kPhotos, p2.Get()), S_OK);
    EXPECT_EQ(m_owner->RemoveRelation(kPhotos, p1.Get()), S_OK);
    EXPECT_EQ(Related(m_owner.Get(), kPhotos), (std::vector<pjObject*>{p2.Get()}));
    EXPECT_EQ(m_owner->RemoveRelation(kPhotos, p1.Get()), S_OK) << "not related: nothing to report";
    EXPECT_EQ(m_owner->RemoveRelation(0x999, p1.Get()), E_INVALIDARG);
    EXPECT_EQ(m_owner->RemoveAllRelations(kPhotos), S_OK);
    EXPECT_TRUE(Related(m_owner.Get(), kPhotos).empty());
    const std::string id = std::to_string(kPhotos);
    EXPECT_EQ(heard.Events(), (std::vector<std::string>{"rel+ " + s + " " + id + " 1", "rel+ " + s + " " + id + " 1",
                                                        "rel+ " + s + " " + id + " 1", "rel- " + s + " " + id + " 1",
                                                        "rel- " + s + " " + id + " 1"}));
}

TEST(RelationHolder, NeedsTheLockAndARelationAndCountsRemovedEntries)
{
    Factory photo("Photo");
    auto p = MakeObj(&photo);
    cmReaderWriterLock lock;
    pjGenericPropertyImpl relation(kPhotos, cmString(), cmString(), cmString("Photo"));
    pjGenericPropertyImpl value(kValue, cmString(), cmString(), Var(1).get());
    const pjObjectList twice{p, p};
    EXPECT_EQ(relation.AddRelation(cmLockToken(), twice), E_INVALIDARG) << "no token";
    {
        cmLockToken shared = lock.LockShared();
        EXPECT_EQ(relation.AddRelation(shared, twice), E_INVALIDARG) << "a change needs the lock exclusively";
    }
    cmLockToken token = lock.LockExclusive();
    EXPECT_EQ(value.AddRelation(token, twice), E_UNEXPECTED);
    ASSERT_EQ(relation.AddRelation(token, twice), S_OK);
    DWORD removed = 0;
    EXPECT_EQ(relation.RemoveRelation(token, pjObjectList{p}, &removed), S_FALSE) << "two entries for one object";
    EXPECT_EQ(removed, 2u);
    pjObjectRef single;
    EXPECT_EQ(relation.GetRelations(token, single), E_UNEXPECTED) << "the single form is for single-valued relations";
    cmString text;
    token.Release();
    EXPECT_EQ(relation.GetFirstText(token, text), E_INVALIDARG) << "a released token proves nothing";
}

TEST_F(Relations, ASingleValuedRelationKeepsTheLastObject)
{
    auto first = MakeObj(&m_photo), second = MakeObj(&m_photo);
    pjObjectRef cover;
    EXPECT_EQ(m_owner->GetFirstRelation(kCover, cover), E_FAIL);
    ASSERT_EQ(m_owner->AddRelation(kCover, first.Get()), S_OK);
    ASSERT_EQ(m_owner->AddRelation(kCover, second.Get()), S_OK);
    EXPECT_EQ(Related(m_owner.Get(), kCover), (std::vector<pjObject*>{second.Get()}));
    EXPECT_EQ(m_owner->GetFirstRelation(kCover, cover), S_OK);
    EXPECT_EQ(cover.Get(), second.Get());
    EXPECT_EQ(m_owner->GetFirstRelation(kPhotos, cover), E_UNEXPECTED);
    EXPECT_EQ(first->GetRefCount(), 1u) << "the replaced entry let go of its object";
}

TEST_F(Relations, ARelationReadsAsTheLabelOfItsFirstObject)
{
    Var none;
    EXPECT_EQ(pjObjectImpl::GetProperty(m_owner.Get(), kCover, &none), E_FAIL) << "nothing related";
    auto photo = MakeObj(&m_photo);
    AddI4(photo.Get(), PJ_PROPID_LABEL, 0x50);
    ASSERT_EQ(photo->AddValueProperty(0x50, Var(u"Beach"), "", ""), S_OK);
    ASSERT_EQ(m_owner->AddRelation(kCover, photo.Get()), S_OK);
    Var label;
    ASSERT_EQ(pjObjectImpl::GetProperty(m_owner.Get(), kCover, &label), S_OK);
    EXPECT_EQ(label.vt(), VT_BSTR);
    EXPECT_EQ(label.text(), "Beach");

    // A label that is itself a relation leading back in a circle ends with an error.
    Factory albumKind("Album");
    auto loop = MakeObj(&albumKind);
    ASSERT_EQ(loop->AddRelationProperty(PJ_PROP_RELATION_SINGLE | 0x7, "", "", cmString("Album")), S_OK);
    AddI4(loop.Get(), PJ_PROPID_LABEL, static_cast<LONG>(PJ_PROP_RELATION_SINGLE | 0x7));
    ASSERT_EQ(loop->AddRelation(PJ_PROP_RELATION_SINGLE | 0x7, loop.Get()), S_OK);
    EXPECT_EQ(pjObjectImpl::GetProperty(loop.Get(), PJ_PROP_RELATION_SINGLE | 0x7, &label), E_FAIL);
    loop->RemoveAllRelations(PJ_PROP_RELATION_SINGLE | 0x7);  // the object holds itself otherwise
}

TEST_F(Relations, PotentialRelationsAreTheTypesObjectsNotYetRelated)
{
    static Factory kind("PotentialProbe");  // its objects stay in the program's object index
    auto owner = MakeObj(&m_album);
    ASSERT_EQ(owner->AddRelationProperty(kPhotos, "", "", cmString("PotentialProbe")), S_OK);
    auto a = MakeObj(&kind), b = MakeObj(&kind), unlisted = MakeObj(&kind);
    pjObjectDatabase* db = GetObjectDatabase();
    db->AddNewObject(a.Get(), nullptr);
    db->AddNewObject(b.Get(), nullptr);
    ASSERT_EQ(owner->AddRelation(kPhotos, a.Get()), S_OK);
    pjObjectList potential;
    ASSERT_EQ(owner->GetPotentialRelations(kPhotos, potential), S_OK);
    ASSERT_EQ(potential.size(), 1u);
    EXPECT_EQ(potential[0].Get(), b.Get());
    EXPECT_EQ(pjObjectImpl::RemoveFromObjectDatabase(a.Get(), nullptr), S_OK);
    EXPECT_EQ(pjObjectImpl::RemoveFromObjectDatabase(b.Get(), nullptr), S_OK);
}

TEST_F(Relations, RegisteringForAnObjectSendsItsCurrentRelations)
{
    auto p1 = MakeObj(&m_photo), p2 = MakeObj(&m_photo);
    ASSERT_EQ(m_owner->AddRelations(kPhotos, pjObjectList{p1, p2}), S_OK);
    ASSERT_EQ(m_owner->AddRelation(kCover, p1.Get()), S_OK);
    Recorder heard;
    ObjectRegistration reg(GetObjectDatabase(), &heard, m_owner.Get());
    const std::string s = Recorder::Serial(m_owner.Get());
    // One report per relation property, in id order.
    EXPECT_EQ(heard.Events(), (std::vector<std::string>{"rel+ " + s + " " + std::to_string(kCover) + " 1",
                                                        "rel+ " + s + " " + std::to_string(kPhotos) + " 2"}));

    // Not for a silenced object.
    Recorder quiet;
    m_owner->Silence();
    ObjectRegistration reg2(GetObjectDatabase(), &quiet, m_owner.Get());
    EXPECT_TRUE(quiet.Events().empty());
}

TEST(PropertyLinks, AValueLinkCopiesAtOnceAndAfterEveryChangeUntilItGoes)
{
    auto source = MakeObj(), target = MakeObj();
    AddI4(source.Get(), kValue, 5);
    ASSERT_EQ(target->AddValueProperty(0x20, Var(u""), "", ""), S_OK);
    cmRefPtr<pjPropertyLink> link;
    EXPECT_EQ(pjPropertyLink::CreateLink(link, source.Get(), kValue, source.Get(), 0x20), E_INVALIDARG);
    EXPECT_EQ(pjPropertyLink::CreateLink(link, nullptr, kValue, target.Get(), 0x20), E_INVALIDARG);
    EXPECT_EQ(pjPropertyLink::CreateLink(link, source.Get(), 0x999, target.Get(), 0x20), E_FAIL);
    EXPECT_FALSE(link);

    ASSERT_EQ(pjPropertyLink::CreateLink(link, source.Get(), kValue, target.Get(), 0x20), S_OK);
    Var copied;
    ASSERT_EQ(pjObjectImpl::GetProperty(target.Get(), 0x20, &copied), S_OK);
    EXPECT_EQ(copied.text(), "5") << "copied with the target's type";
    ASSERT_EQ(pjObjectImpl::SetProperty(source.Get(), kValue, Var(6)), S_OK);
    ASSERT_EQ(pjObjectImpl::GetProperty(target.Get(), 0x20, &copied), S_OK);
    EXPECT_EQ(copied.text(), "6");
    ASSERT_EQ(pjObjectImpl::SetProperty(target.Get(), 0x20, Var(u"8")), S_OK);
    EXPECT_EQ(ReadI4(source.Get(), kValue), 6) << "a change of the target goes nowhere";

    link.Reset();
    EXPECT_EQ(source->GetRefCount(), 1u) << "the link let go of its objects";
    ASSERT_EQ(pjObjectImpl::SetProperty(source.Get(), kValue, Var(7)), S_OK);
    ASSERT_EQ(pjObjectImpl::GetProperty(target.Get(), 0x20, &copied), S_OK);
    EXPECT_EQ(copied.text(), "8");
}

TEST_F(Relations, ARelationLinkEmptiesTheTargetAndMirrorsTheSource)
{
    auto p1 = MakeObj(&m_photo), p2 = MakeObj(&m_photo), p3 = MakeObj(&m_photo);
    auto mirror = MakeObj(&m_album);
    ASSERT_EQ(mirror->AddRelationProperty(kPhotos, "", "", cmString("Photo")), S_OK);
    ASSERT_EQ(mirror->AddRelation(kPhotos, p3.Get()), S_OK);
    cmRefPtr<pjPropertyLink> link;
    ASSERT_EQ(pjPropertyLink::CreateLink(link, m_owner.Get(), kPhotos, mirror.Get(), kPhotos), S_OK);
    EXPECT_TRUE(Related(mirror.Get(), kPhotos).empty());

    ASSERT_EQ(m_owner->AddRelations(kPhotos, pjObjectList{p1, p2}), S_OK);
    EXPECT_EQ(Related(mirror.Get(), kPhotos), (std::vector<pjObject*>{p1.Get(), p2.Get()}));
    {
        cmLockToken token = m_owner->GetLock().LockExclusive();
        ASSERT_EQ(m_owner->RemoveRelationsLocked(token, kPhotos, pjObjectList{p1, p2}), S_OK);
    }
    EXPECT_TRUE(Related(mirror.Get(), kPhotos).empty()) << "every object that left the source left the target";
    link.Reset();
    ASSERT_EQ(m_owner->AddRelation(kPhotos, p1.Get()), S_OK);
    EXPECT_TRUE(Related(mirror.Get(), kPhotos).empty());

    // A new link hears the source's relations when it registers: the target starts with them.
    ASSERT_EQ(pjPropertyLink::CreateLink(link, m_owner.Get(), kPhotos, mirror.Get(), kPhotos), S_OK);
    EXPECT_EQ(Related(mirror.Get(), kPhotos), (std::vector<pjObject*>{p1.Get()}));
    ASSERT_EQ(mirror->RemoveAllRelations(kPhotos), S_OK);
    EXPECT_EQ(link->CopyRelations(), S_OK);
    EXPECT_EQ(Related(mirror.Get(), kPhotos), (std::vector<pjObject*>{p1.Get()}));
}
