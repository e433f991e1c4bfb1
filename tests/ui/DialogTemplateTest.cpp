// The program's dialog templates as the build compiled them, read back, and
// the reader's behaviour on bytes that are not a whole template.
#include "platform/kernel32/MulDiv.h"
#include "platform/kernel32/Resources.h"
#include "ui/CDialogTemplate.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1u;

std::vector<BYTE> ResourceBytes(WORD id)
{
    HRSRC h = FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_DIALOG);
    if (h == nullptr)
        return {};
    const BYTE* p = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, h)));
    return std::vector<BYTE>(p, p + SizeofResource(nullptr, h));
}

void ExpectItem(const CDialogTemplate& t, WORD id, WORD atom, const char* text, CDialogRect r, bool visible)
{
    const CDialogItem* item = t.Find(id);
    ASSERT_NE(item, nullptr) << id;
    EXPECT_EQ(item->classAtom, atom) << id;
    EXPECT_EQ(item->text, text) << id;
    EXPECT_EQ(item->rect.x, r.x) << id;
    EXPECT_EQ(item->rect.y, r.y) << id;
    EXPECT_EQ(item->rect.cx, r.cx) << id;
    EXPECT_EQ(item->rect.cy, r.cy) << id;
    EXPECT_EQ((item->style & WS_VISIBLE) != 0, visible) << id;
}

}  // namespace

TEST(DialogTemplate, TheUpdateDialogAsCompiled)
{
    CDialogTemplate t;
    ASSERT_TRUE(t.Load(204));
    EXPECT_EQ(t.rect.cx, 281);
    EXPECT_EQ(t.rect.cy, 224);
    EXPECT_EQ(t.fontPointSize, 8);
    EXPECT_EQ(t.fontName, "MS Sans Serif");
    EXPECT_EQ(t.style & 0x800u, 0x800u) << "centred";
    EXPECT_EQ(t.style & 0x80000u, 0u) << "no system menu";
    ASSERT_EQ(t.items.size(), 9u);
    ExpectItem(t, 2001, CDialogTemplate::kButton, "Upgrade", {7, 193, 74, 24}, true);
    ExpectItem(t, 2002, CDialogTemplate::kButton, "Remind Me Later", {103, 193, 74, 24}, true);
    ExpectItem(t, 2003, CDialogTemplate::kButton, "No Thanks", {200, 193, 74, 24}, true);
    ExpectItem(t, 2000, CDialogTemplate::kButton, "&More Details", {101, 134, 94, 24}, false);
    ExpectItem(t, 2009, CDialogTemplate::kStatic, "Ignore Update ", {27, 132, 233, 41}, false);
    ExpectItem(t, 1502, CDialogTemplate::kStatic, "", {10, 9, 213, 158}, false);
    EXPECT_EQ(t.Find(2001)->style & 0xFu, BS_DEFPUSHBUTTON);
    EXPECT_EQ(t.Find(2006)->exStyle, 0x20u) << "transparent";
}

TEST(DialogTemplate, TheConfirmationAndTheDetailsDialogsAsCompiled)
{
    CDialogTemplate confirm;
    ASSERT_TRUE(confirm.Load(140));
    EXPECT_EQ(confirm.fontName, "Microsoft Sans Serif");
    EXPECT_EQ(confirm.style & 0x800u, 0u) << "not centred";
    ExpectItem(confirm, 1, CDialogTemplate::kButton, "Yes", {50, 89, 74, 24}, true);
    ExpectItem(confirm, 2, CDialogTemplate::kButton, "No", {145, 89, 74, 24}, true);
    ExpectItem(confirm, 1505, CDialogTemplate::kStatic, "question", {8, 73, 169, 14}, true);

    CDialogTemplate details;
    ASSERT_TRUE(details.Load(203));
    EXPECT_EQ(details.caption, "Dialog");
    const CDialogItem* edit = details.Find(1009);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->classAtom, 0);
    EXPECT_EQ(edit->className, "RICHEDIT");
    EXPECT_EQ(edit->style & 0x800u, 0u) << "not read-only";
    EXPECT_EQ(edit->style & 0x1004u, 0x1004u) << "multi-line, accepts Enter";
}

TEST(DialogTemplate, EveryShortenedTemplateIsRefused)
{
    const std::vector<BYTE> bytes = ResourceBytes(204);
    ASSERT_FALSE(bytes.empty());
    CDialogTemplate t;
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        // The last item's padding-free end is the template's end, so any
        // shorter prefix cuts a field.
        EXPECT_FALSE(t.Parse(bytes.data(), n)) << n;
        EXPECT_TRUE(t.items.empty());
    }
    EXPECT_TRUE(t.Parse(bytes.data(), bytes.size()));
    EXPECT_FALSE(t.Parse(nullptr, 10));
    EXPECT_FALSE(t.Load(999));
}

TEST(DialogTemplate, DialogUnitsBecomePixelsAsMapDialogRectDoesIt)
{
    // Base units of an 8-point sans font at 96 dpi: 6 x 13 pixels.
    const CDialogRect px = MapDialogRect({7, 193, 74, 24}, {6, 13});
    EXPECT_EQ(px.x, 11);   // 7 * 6 / 4 = 10.5, rounded away from zero
    EXPECT_EQ(px.y, 314);  // 193 * 13 / 8 = 313.6
    EXPECT_EQ(px.cx, 111);
    EXPECT_EQ(px.cy, 39);
    EXPECT_EQ(MulDiv(-7, 6, 4), -11);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 2, 1), -1);
    EXPECT_EQ(MulDiv(2540, 96, 2540), 96);
}
