// The delete confirmation on its own: its answers, its keys and its texts.
#include "tests/ui/DialogFixture.h"
#include "ui/BSU_DeleteUpgrade.h"
#include "ui/CNotifierStrings.h"
#include "ui/NotifierResourceIds.h"

#include <QTest>

namespace {

class DeleteUpgradeTest : public testsupport::DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        StartQt();
    }
    // Runs the question with action queued for its modal loop.
    static int Ask(std::function<void(QWidget*)> action)
    {
        BSU_DeleteUpgrade dlg;
        Later(0, [action] {
            QWidget* w = Window(IDD_BSU_DELETEUPGRADE);
            ASSERT_NE(w, nullptr);
            action(w);
        });
        return dlg.DoModal();
    }
};

}  // namespace

TEST_F(DeleteUpgradeTest, YesAndEnterGiveOneNoAndEscapeGiveTwo)
{
    EXPECT_EQ(Ask([](QWidget* w) { QTest::mouseClick(Control(w, IDOK), Qt::LeftButton); }), IDOK);
    EXPECT_EQ(Ask([](QWidget* w) { QTest::mouseClick(Control(w, IDCANCEL), Qt::LeftButton); }), IDCANCEL);
    EXPECT_EQ(Ask([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }), IDCANCEL);
    // Enter presses the default button "Yes", which has the focus at first.
    EXPECT_EQ(Ask([](QWidget* w) {
                  ASSERT_EQ(w->focusWidget(), Control(w, IDOK));
                  QTest::keyClick(w->focusWidget(), Qt::Key_Return);
              }),
              IDOK);
    // With the focus moved to "No", Enter presses "No", as a dialog box does.
    EXPECT_EQ(Ask([](QWidget* w) {
                  Control(w, IDCANCEL)->setFocus();
                  QTest::keyClick(Control(w, IDCANCEL), Qt::Key_Return);
              }),
              IDCANCEL);
}

TEST_F(DeleteUpgradeTest, CloseRequestsAreSwallowed)
{
    bool stillOpen = false;
    EXPECT_EQ(Ask([&](QWidget* w) {
                  w->close();
                  QTest::keyClick(w, Qt::Key_F4, Qt::AltModifier);
                  stillOpen = Window(IDD_BSU_DELETEUPGRADE) != nullptr;
                  QTest::keyClick(w, Qt::Key_Escape);
              }),
              IDCANCEL);
    EXPECT_TRUE(stillOpen);
}

TEST_F(DeleteUpgradeTest, TheTextsFollowTheLanguageAndTheLayoutDoesNot)
{
    std::map<WORD, std::map<int, std::string>> texts;
    std::map<WORD, std::pair<int, int>> sizes;
    for (WORD lang : {1033, 1031}) {
        SetLanguage(std::to_string(lang));
        Ask([&](QWidget* w) {
            for (int id : {IDOK, IDCANCEL, IDC_DELETE_TEXT_DOWNLOADED, IDC_DELETE_TEXT_LATER, IDC_DELETE_QUESTION})
                texts[lang][id] = Text(w, id);
            texts[lang][0] = w->windowTitle().toStdString();
            sizes[lang] = {w->width(), w->height()};
            QTest::keyClick(w, Qt::Key_Escape);
        });
        const CNotifierStrings strings(lang);
        auto entry = [&](UINT id) { return std::string(strings.Load(id).GetText()); };
        EXPECT_EQ(texts[lang][IDOK], entry(IDS_DELETE_YES));
        EXPECT_EQ(texts[lang][IDCANCEL], entry(IDS_DELETE_NO));
        EXPECT_EQ(texts[lang][IDC_DELETE_TEXT_DOWNLOADED], entry(IDS_DELETE_TEXT_DOWNLOADED));
        EXPECT_EQ(texts[lang][IDC_DELETE_TEXT_LATER], entry(IDS_DELETE_TEXT_LATER));
        EXPECT_EQ(texts[lang][IDC_DELETE_QUESTION], entry(IDS_DELETE_QUESTION));
        EXPECT_EQ(texts[lang][0], entry(IDS_BSU_CAPTION));
    }
    EXPECT_NE(texts[1033][IDOK], texts[1031][IDOK]);
    EXPECT_EQ(sizes[1033], sizes[1031]);
}
