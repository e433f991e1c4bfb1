// Database objects on their own: names and ids, the property table, the
// conversion on write, texts, reserved ids and the object packet.
#include "objdb/pjGenericPropertyImpl.h"
#include "objdb/pjPropertyIds.h"
#include "tests/objdb/ObjdbTestSupport.h"

#include <gtest/gtest.h>

using namespace objdbtest;

namespace {

constexpr DWORD kCount = 0x100;
constexpr DWORD kName = 0x200;

std::vector<BYTE> Bytes(const cmPacket& p) { return std::vector<BYTE>(p.GetData(), p.GetData() + p.GetSize()); }

}  // namespace

TEST(ObjectProperties, TypeNamesAndIdsComeFromTheOwner)
{
    auto plain = MakeObj();
    EXPECT_STREQ(plain->GetAsciiType().GetText(), "untyped object");
    cmPacket id, key, identity;
    ASSERT_EQ(plain->GetID(id), S_OK);
    id.SetCursor(0);
    ASSERT_EQ(id.ReadPacket(key), S_OK);
    ASSERT_EQ(id.ReadPacket(identity), S_OK);
    EXPECT_EQ(identity.GetSize(), 0u) << "no owner, no identity";
    DWORD serial = 0;
    ASSERT_EQ(key.ReadNumber(serial), S_OK);
    EXPECT_EQ(serial, plain->GetSerial());
    EXPECT_EQ(id.GetRemaining(), 0u);

    Factory album("Photo:Album", "IDENT"), bare("Album");
    auto a = MakeObj(&album), b = MakeObj(&bare);
    EXPECT_STREQ(a->GetAsciiType().GetText(), "Photo");
    EXPECT_STREQ(b->GetAsciiType().GetText(), "Album");
    EXPECT_EQ(b->GetSerial(), a->GetSerial() + 1) << "one process-wide serial";
    cmPacket aid, akey, aidentity;
    ASSERT_EQ(a->GetID(aid), S_OK);
    aid.SetCursor(0);
    ASSERT_EQ(aid.ReadPacket(akey), S_OK);
    ASSERT_EQ(aid.ReadPacket(aidentity), S_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(aidentity.GetData()), aidentity.GetSize()), "IDENT");
    EXPECT_TRUE(a->m_setPedigree.Contains(cmString("class pjObject")));
}

TEST(ObjectProperties, WritesConvertToTheStoredTypeAndReportTheGivenValue)
{
    auto o = MakeObj();
    AddI4(o.Get(), kCount, 7);
    ASSERT_EQ(o->AddValueProperty(kName | PJ_PROP_READONLY, Var(u"fixed"), "", ""), S_OK);
    Recorder heard;
    ObjectRegistration reg(GetObjectDatabase(), &heard, o.Get());

    EXPECT_EQ(pjObjectImpl::SetProperty(o.Get(), kCount, Var(u"12")), S_OK);
    EXPECT_EQ(ReadI4(o.Get(), kCount), 12) << "the digits became the stored integer";

    // Letters do not convert: the error comes back and nothing changes or is reported.
    EXPECT_EQ(pjObjectImpl::SetProperty(o.Get(), kCount, Var(u"twelve")), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(ReadI4(o.Get(), kCount), 12);

    EXPECT_EQ(pjObjectImpl::SetProperty(o.Get(), kName | PJ_PROP_READONLY, Var(u"x")), E_FAIL);
    EXPECT_EQ(pjObjectImpl::SetProperty(o.Get(), 0x999, Var(1)), E_INVALIDARG);
    Var none;
    EXPECT_EQ(pjObjectImpl::GetProperty(o.Get(), 0x999, &none), E_INVALIDARG);

    // Delivered at once on the main thread, with the value as written.
    EXPECT_EQ(heard.Events(), (std::vector<std::string>{"prop " + Recorder::Serial(o.Get()) + " 256 '12'"}));

    DWORD n = 0;
    cmString text;
    EXPECT_EQ(pjObjectImpl::GetPropertyAsNumber(o.Get(), kCount, n), S_OK);
    EXPECT_EQ(n, 12u);
    EXPECT_EQ(pjObjectImpl::GetPropertyAsText(o.Get(), kCount, text), S_OK);
    EXPECT_STREQ(text.GetText(), "12");
    EXPECT_EQ(pjObjectImpl::GetPropertyAsNumber(o.Get(), kName | PJ_PROP_READONLY, n), DISP_E_TYPEMISMATCH);
}

TEST(ObjectProperties, ASilencedObjectReportsNothing)
{
    auto o = MakeObj();
    AddI4(o.Get(), kCount, 1);
    Recorder heard;
    ObjectRegistration reg(GetObjectDatabase(), &heard, o.Get());
    o->Silence();
    EXPECT_EQ(pjObjectImpl::SetProperty(o.Get(), kCount, Var(2)), S_OK);
    EXPECT_EQ(ReadI4(o.Get(), kCount), 2);
    EXPECT_TRUE(heard.Events().empty());
}

TEST(ObjectProperties, TableIdsTextsAndReservedIds)
{
    auto o = MakeObj();
    AddI4(o.Get(), 0x30, 3);
    AddI4(o.Get(), 0x10, 1);
    AddI4(o.Get(), 0x20 | PJ_PROP_HIDDEN, 2);
    EXPECT_EQ(o->AddValueProperty(0x10, Var(9), "", ""), E_INVALIDARG) << "an existing id is refused";
    EXPECT_EQ(ReadI4(o.Get(), 0x10), 1) << "and keeps its value";
    std::vector<DWORD> ids;
    ASSERT_EQ(o->GetPropertyIds(ids), S_OK);
    EXPECT_EQ(ids, (std::vector<DWORD>{0x10, 0x30})) << "ascending, hidden ones left out";

    // The first text falls back on the second and keeps it.
    ASSERT_EQ(o->AddValueProperty(0x40, Var(0), "", "Second"), S_OK);
    cmString text;
    EXPECT_EQ(o->GetFirstText(0x40, text), S_OK);
    EXPECT_STREQ(text.GetText(), "Second");
    EXPECT_EQ(o->GetSecondText(0x40, text), S_OK);
    EXPECT_STREQ(text.GetText(), "Second");
    EXPECT_EQ(o->GetFirstText(0x41, text), E_INVALIDARG);

    // The self id reads as itself whatever is stored; the label id is an ordinary property.
    ASSERT_EQ(o->AddValueProperty(PJ_PROPID_SELF, Var(u"ignored"), "", ""), S_OK);
    Var self;
    ASSERT_EQ(pjObjectImpl::GetProperty(o.Get(), PJ_PROPID_SELF, &self), S_OK);
    EXPECT_EQ(self.vt(), VT_I4);
    EXPECT_EQ(static_cast<DWORD>(self.i4()), PJ_PROPID_SELF);
    EXPECT_EQ(o->GetRelationType(0x10, text), E_UNEXPECTED) << "a value property has no relation type";
}

TEST(ObjectProperties, HoldersGoBackToThePool)
{
    const std::size_t before = pjGenericPropertyImpl::LiveHolders();
    {
        auto o = MakeObj();
        for (DWORD id = 1; id <= 300; ++id)
            AddI4(o.Get(), id, static_cast<LONG>(id));
        ASSERT_EQ(o->AddRelationProperty(0x20001000, "", "", "x"), S_OK);
        EXPECT_EQ(pjGenericPropertyImpl::LiveHolders(), before + 301);
        EXPECT_EQ(ReadI4(o.Get(), 300), 300);
    }
    EXPECT_EQ(pjGenericPropertyImpl::LiveHolders(), before);
}

TEST(ObjectProperties, AnEmptyObjectPacketIsEightBytes)
{
    auto o = MakeObj();
    cmPacket p;
    ASSERT_EQ(o->SaveToPacket(p), S_OK);
    EXPECT_EQ(Bytes(p), (std::vector<BYTE>{1, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(ObjectProperties, PacketsRoundTripByteForByteAndLoadingKeepsExistingIds)
{
    auto source = MakeObj();
    ASSERT_EQ(source->AddValueProperty(0x2, Var(u"two"), "label", "description"), S_OK);
    AddI4(source.Get(), 0x1, -5);
    cmPacket saved;
    ASSERT_EQ(source->SaveToPacket(saved), S_OK);
    // Version, count, then the record of id 1: id, two empty texts, the variant (kind 1, VT_I4, 16 bytes).
    ASSERT_GE(saved.GetSize(), 12u);
    const std::vector<BYTE> head(saved.GetData(), saved.GetData() + 8);
    EXPECT_EQ(head, (std::vector<BYTE>{1, 0, 0, 0, 2, 0, 0, 0}));
    cmPacket cursor(saved.GetData(), saved.GetSize()), first;
    DWORD n = 0;
    cursor.ReadNumber(n);
    cursor.ReadNumber(n);
    ASSERT_EQ(cursor.ReadPacket(first), S_OK);
    EXPECT_EQ(first.GetSize(), 4u + 4 + 4 + 4 + 4 + 4 + 16);

    auto copy = MakeObj();
    saved.SetCursor(0);
    ASSERT_EQ(copy->LoadFromPacket(saved), S_OK);
    cmPacket again;
    ASSERT_EQ(copy->SaveToPacket(again), S_OK);
    EXPECT_EQ(Bytes(again), Bytes(saved));
    cmString text;
    ASSERT_EQ(copy->GetFirstText(0x2, text), S_OK);
    EXPECT_STREQ(text.GetText(), "label");

    auto existing = MakeObj();
    AddI4(existing.Get(), 0x1, 100);
    cmPacket in(saved.GetData(), saved.GetSize());
    ASSERT_EQ(existing->LoadFromPacket(in), S_OK);
    EXPECT_EQ(ReadI4(existing.Get(), 0x1), 100) << "an id the object has keeps its value";
    Var two;
    ASSERT_EQ(pjObjectImpl::GetProperty(existing.Get(), 0x2, &two), S_OK);
    EXPECT_EQ(two.text(), "two");
}

TEST(ObjectProperties, ATruncatedPacketStopsWithAnErrorAfterWhatFits)
{
    auto source = MakeObj();
    AddI4(source.Get(), 0x1, 1);
    AddI4(source.Get(), 0x2, 2);
    cmPacket saved;
    ASSERT_EQ(source->SaveToPacket(saved), S_OK);
    cmPacket cut(saved.GetData(), saved.GetSize() - 1);
    auto o = MakeObj();
    EXPECT_EQ(o->LoadFromPacket(cut), E_INVALIDARG);
    std::vector<DWORD> ids;
    o->GetPropertyIds(ids);
    EXPECT_EQ(ids, (std::vector<DWORD>{0x1}));

    // A count far beyond the bytes ends at the first missing record.
    cmPacket lying;
    lying.WriteNumber(1);
    lying.WriteNumber(0xFFFFFFFFu);
    lying.SetCursor(0);
    EXPECT_EQ(MakeObj()->LoadFromPacket(lying), E_INVALIDARG);
}
