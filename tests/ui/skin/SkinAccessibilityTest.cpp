// Skinned controls keep what assistive technology reads: a bitmap button is
// still a push button named by its caption, a static text still a label
// with its text, the window still has its title.
#include "tests/ui/DialogFixture.h"
#include "ui/BSU_DeleteUpgrade.h"
#include "ui/CNotifierStrings.h"
#include "ui/NotifierResourceIds.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QTest>

namespace {

class SkinAccessibilityTest : public testsupport::DialogTest {};

struct Seen {
    QAccessible::Role role;
    std::string name;
};

Seen Accessible(QObject* o)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(o);
    if (a == nullptr)
        return {QAccessible::NoRole, "<no interface>"};
    return {a->role(), a->text(QAccessible::Name).toStdString()};
}

}  // namespace

TEST_F(SkinAccessibilityTest, ButtonsAndTextsAreWhatTheyLookLike)
{
    SetLanguage("1031");
    StartQt();
    const CNotifierStrings strings(1031);
    BSU_DeleteUpgrade dlg;
    std::map<int, Seen> seen;
    Seen window{};
    Later(0, [&] {
        QWidget* w = Window(IDD_BSU_DELETEUPGRADE);
        ASSERT_NE(w, nullptr);
        for (int id : {IDOK, IDCANCEL, IDC_DELETE_TEXT_DOWNLOADED, IDC_DELETE_TEXT_LATER, IDC_DELETE_QUESTION})
            seen[id] = Accessible(Control(w, id));
        window = Accessible(w);
        QTest::keyClick(w, Qt::Key_Escape);
    });
    dlg.DoModal();
    for (int id : {IDOK, IDCANCEL}) {
        EXPECT_EQ(seen[id].role, QAccessible::Button) << id;
        EXPECT_EQ(seen[id].name, dlg.GetDlgItemText(id)) << id;
    }
    EXPECT_EQ(seen[IDOK].name, strings.Load(IDS_DELETE_YES).GetText());
    for (int id : {IDC_DELETE_TEXT_DOWNLOADED, IDC_DELETE_TEXT_LATER, IDC_DELETE_QUESTION}) {
        EXPECT_EQ(seen[id].role, QAccessible::StaticText) << id;
        EXPECT_EQ(seen[id].name, dlg.GetDlgItemText(id)) << id;
    }
    EXPECT_EQ(window.name, strings.Load(IDS_BSU_CAPTION).GetText());
}
