// The more-details dialog: the description streamed into its rich-edit
// control through the read buffer, its texts, its keys.
#include "tests/ui/DialogFixture.h"
#include "ui/CBSU_MoreDetails.h"
#include "ui/NotifierResourceIds.h"

#include <QTest>
#include <QDir>
#include <QTextEdit>
#include <fstream>
#include <iterator>

namespace {

class MoreDetailsTest : public testsupport::DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        StartQt();
    }
    static QTextEdit* Edit(QWidget* w) { return qobject_cast<QTextEdit*>(Control(w, IDC_MOREDETAILS_TEXT)); }

    // Runs the dialog on description with action queued for its modal loop.
    static int Run(CBSU_MoreDetails& dlg, const std::string& description, std::function<void(QWidget*)> action)
    {
        cmBuffer b;
        b.Set(static_cast<DWORD>(description.size()), description.data());
        dlg.SetDescription(b);
        Later(0, [action] {
            QWidget* w = Window(IDD_BSU_MOREDETAILS);
            ASSERT_NE(w, nullptr);
            action(w);
        });
        return dlg.DoModal();
    }
};

}  // namespace

TEST_F(MoreDetailsTest, EveryByteIsDeliveredInTheRequestsTheControlMakes)
{
    // 10,000 bytes of RTF: requests of 4096, 4096, 1808, then one at the end.
    std::string rtf = "{\\rtf1\\ansi ";
    while (rtf.size() < 9999)
        rtf += 'x';
    rtf += '}';
    ASSERT_EQ(rtf.size(), 10000u);
    CBSU_MoreDetails dlg;
    std::string shown;
    EXPECT_EQ(Run(dlg, rtf, [&](QWidget* w) {
                  shown = Edit(w)->toPlainText().toStdString();
                  QTest::keyClick(w, Qt::Key_Escape);
              }),
              IDCANCEL);
    EXPECT_EQ(dlg.ReadPosition(), 10000u);
    EXPECT_EQ(dlg.StreamRequests(), 4u);
    EXPECT_EQ(shown, std::string(10000 - 12 - 1, 'x'));
}

TEST_F(MoreDetailsTest, FormattingComesThroughAndOtherBytesShowAsText)
{
    CBSU_MoreDetails rich;
    bool bold = false;
    bool red = false;
    std::string text;
    Run(rich, "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;}Plain {\\b Bold} {\\cf1 Red} Euro \\u8364?.}",
        [&](QWidget* w) {
            QTextEdit* e = Edit(w);
            text = e->toPlainText().toStdString();
            QTextCursor c(e->document());
            c.setPosition(static_cast<int>(std::string("Plain B").size()));
            bold = c.charFormat().fontWeight() >= QFont::Bold;
            c.setPosition(static_cast<int>(std::string("Plain Bold R").size()));
            red = c.charFormat().foreground().color() == QColor(255, 0, 0);
            QTest::keyClick(w, Qt::Key_Escape);
        });
    EXPECT_EQ(text, "Plain Bold Red Euro \u20AC.");
    EXPECT_TRUE(bold);
    EXPECT_TRUE(red);

    CBSU_MoreDetails plain;
    Run(plain, "Not RTF at all\nsecond line", [&](QWidget* w) {
        text = Edit(w)->toPlainText().toStdString();
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_EQ(text, "Not RTF at all\nsecond line");
}

TEST_F(MoreDetailsTest, OkEndsWithOneEscapeWithTwoEnterOnTheTextBreaksTheLine)
{
    CBSU_MoreDetails ok;
    EXPECT_EQ(Run(ok, "", [](QWidget* w) { QTest::mouseClick(Control(w, IDOK), Qt::LeftButton); }), IDOK);
    CBSU_MoreDetails enter;
    EXPECT_EQ(Run(enter, "", [](QWidget* w) {
                  ASSERT_EQ(w->focusWidget(), Control(w, IDOK)) << "the focus starts on OK";
                  QTest::keyClick(w->focusWidget(), Qt::Key_Return);
              }),
              IDOK);
    CBSU_MoreDetails edit;
    std::string after;
    bool open = false;
    EXPECT_EQ(Run(edit, "{\\rtf1 one}", [&](QWidget* w) {
                  QTextEdit* e = Edit(w);
                  QTest::mouseClick(e->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 5));
                  e->setFocus();
                  e->moveCursor(QTextCursor::End);
                  QTest::keyClick(e, Qt::Key_Return);
                  QTest::keyClicks(e, "two");
                  after = e->toPlainText().toStdString();
                  open = Window(IDD_BSU_MOREDETAILS) != nullptr;
                  w->close();  // swallowed
                  QTest::keyClick(e, Qt::Key_Escape);
              }),
              IDCANCEL);
    EXPECT_TRUE(open);
    EXPECT_EQ(after, "one\ntwo");
}

TEST_F(MoreDetailsTest, TheTextsFollowTheLanguage)
{
    SetLanguage("1036");
    CBSU_MoreDetails dlg;
    std::string button;
    std::string caption;
    bool onTop = false;
    Run(dlg, "", [&](QWidget* w) {
        button = Text(w, IDOK);
        caption = w->windowTitle().toStdString();
        onTop = (w->windowFlags() & Qt::WindowStaysOnTopHint) != 0;
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_EQ(button, "OK");
    EXPECT_EQ(caption, "Plus de détails");
    EXPECT_TRUE(onTop);
}

TEST_F(MoreDetailsTest, TheSampleDescriptionsAreShownWithTheirTitleInBold)
{
    const QString dir = QString::fromStdString(testsupport::BuildPath("screenshots"));
    ASSERT_TRUE(QDir().mkpath(dir));
    for (const char* lang : {"1033", "1031"}) {
        std::ifstream in(std::string(NOTIFIER_SOURCE_DIR) + "/resources/sample-update/descriptions/" + lang + ".rtf",
                         std::ios::binary);
        const std::string rtf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(rtf.empty()) << lang;
        SetLanguage(lang);
        CBSU_MoreDetails dlg;
        bool titleBold = false;
        std::string text;
        Run(dlg, rtf, [&](QWidget* w) {
            QTextEdit* e = Edit(w);
            text = e->toPlainText().toStdString();
            QTextCursor c(e->document());
            c.setPosition(1);
            titleBold = c.charFormat().fontWeight() >= QFont::Bold;
            EXPECT_TRUE(w->grab().toImage().save(dir + QString("/more-details-%1.png").arg(lang)));
            QTest::keyClick(w, Qt::Key_Escape);
        });
        EXPECT_EQ(dlg.ReadPosition(), rtf.size());
        EXPECT_NE(text.find("Glimmary"), std::string::npos) << lang;
        EXPECT_EQ(text.find('{'), std::string::npos) << "no RTF shows through: " << text;
        EXPECT_TRUE(titleBold) << lang;
    }
}
