// The skinned message box: for every type its buttons in order with their
// ids and images, the default button, the icon, the width the message
// takes, what each answer gives; and the application's message box call
// showing it.
#include "platform/mfc/CWinApp.h"
#include "tests/ui/DialogFixture.h"
#include "ui/qt/QtSkinText.h"
#include "ui/skin/CDappleBitmapButton.h"
#include "ui/skin/CDappleMessageBox.h"
#include "ui/skin/SkinFonts.h"

#include <QDir>
#include <QFontMetrics>
#include <QTest>
#include <algorithm>

namespace {

struct Expected {
    UINT type;
    std::vector<std::pair<int, int>> buttons;  // id, image index
    int defaultId;
};

class MessageBoxTest : public testsupport::DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        StartQt();
    }
    // Runs the box with action queued for its modal loop.
    static int Run(CDappleMessageBox& box, std::function<void(CDappleMessageBox&, QWidget*)> action)
    {
        Later(0, [&box, action] {
            QWidget* w = Window(0);
            ASSERT_NE(w, nullptr);
            action(box, w);
        });
        return box.DoModal();
    }
    // The push buttons from left to right: id and image index.
    static std::vector<std::pair<int, int>> Buttons(const CDappleMessageBox& box)
    {
        std::vector<const CDialogControl*> buttons;
        for (const CDialogControl& c : box.Controls())
            if (c.IsPushButton())
                buttons.push_back(&c);
        std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->rect.x < b->rect.x; });
        std::vector<std::pair<int, int>> out;
        for (const CDialogControl* c : buttons) {
            auto* skin = dynamic_cast<const CDappleBitmapButton*>(box.SkinControl(c->id));
            out.emplace_back(c->id, skin != nullptr ? skin->ImageIndexUsed() : -1);
        }
        return out;
    }
};

}  // namespace

TEST_F(MessageBoxTest, EveryTypeHasItsButtonsIdsImagesAndDefault)
{
    const Expected rows[] = {
        {MB_OK, {{IDOK, 0}}, IDOK},
        {MB_OKCANCEL, {{IDOK, 0}, {IDCANCEL, 1}}, IDOK},
        {MB_ABORTRETRYIGNORE, {{IDABORT, 4}, {IDRETRY, 5}, {IDIGNORE, 6}}, IDABORT},
        {MB_YESNOCANCEL, {{IDYES, 2}, {IDNO, 3}, {IDCANCEL, 1}}, IDYES},
        {MB_YESNO, {{IDYES, 2}, {IDNO, 3}}, IDYES},
        {MB_RETRYCANCEL, {{IDRETRY, 5}, {IDCANCEL, 1}}, IDRETRY},
        {MB_OK | MB_HELP, {{IDOK, 0}, {IDHELP, 7}}, IDOK},
        {MB_YESNOCANCEL | MB_HELP | MB_DEFBUTTON3, {{IDYES, 2}, {IDNO, 3}, {IDCANCEL, 1}, {IDHELP, 7}}, IDCANCEL},
        {MB_YESNO | MB_DEFBUTTON2, {{IDYES, 2}, {IDNO, 3}}, IDNO},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON4, {{IDABORT, 4}, {IDRETRY, 5}, {IDIGNORE, 6}}, IDABORT},
        {MB_RETRYCANCEL | MB_HELP | MB_DEFBUTTON3, {{IDRETRY, 5}, {IDCANCEL, 1}, {IDHELP, 7}}, IDHELP},
    };
    for (const Expected& e : rows) {
        CDappleMessageBox box("Proceed?", e.type, "Caption");
        int focused = 0;
        const int result = Run(box, [&](CDappleMessageBox& b, QWidget* w) {
            focused = w->focusWidget() != nullptr ? w->focusWidget()->objectName().toInt() : 0;
            b.ViewEnter();
            // Help answers without ending the box; the test ends it then.
            if (!b.IsEnded())
                b.EndDialog(-5);
        });
        EXPECT_EQ(Buttons(box), e.buttons) << std::hex << e.type;
        EXPECT_EQ(focused, e.defaultId) << std::hex << e.type;
        EXPECT_EQ(result, e.defaultId == IDHELP ? -5 : e.defaultId) << std::hex << e.type;
    }
}

TEST_F(MessageBoxTest, TheMessageIsMeasuredInTheLargeBoldFontAndFortyPixelsAdded)
{
    const std::string text = "The update could not be installed. Try again later, or ask the person who looks after "
                             "this computer to install it for you.";
    CDappleMessageBox box(text, MB_OKCANCEL | MB_ICONEXCLAMATION, "Brelvo");
    bool iconShown = false;
    std::string title;
    Run(box, [&](CDappleMessageBox& b, QWidget* w) {
        const QImage icon = Control(w, CDappleMessageBox::kIconId)->grab().toImage();
        iconShown = icon.pixelColor(16, 16) != icon.pixelColor(0, 0);
        title = w->windowTitle().toStdString();
        // For people to look at, beside the dialogs' screenshots.
        const QString dir = QString::fromStdString(testsupport::BuildPath("screenshots"));
        if (QDir().mkpath(dir))
            w->grab().save(dir + "/message-box.png");
        b.ViewEscape();
    });
    // The message wraps at 400 pixels in the large bold font (7/5 of the
    // dialog font, weight 800).
    EXPECT_EQ(SkinLargeBoldFont().pixelHeight, SkinGuiFont().pixelHeight * 7 / 5);
    EXPECT_EQ(SkinLargeBoldFont().weight, 800);
    const QRect measured = QFontMetrics(ToQFont(SkinLargeBoldFont()))
                               .boundingRect(QRect(0, 0, 400, 10000), Qt::TextWordWrap, ToQString(text));
    const CDialogControl* message = box.GetDlgItem(CDappleMessageBox::kTextId);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->rect.cx, measured.width() + 40);
    EXPECT_EQ(message->rect.cy, measured.height());
    EXPECT_GT(measured.height(), QFontMetrics(ToQFont(SkinLargeBoldFont())).height()) << "the text wraps";
    // Icon, message and margins make the width; the frame adds its own.
    const int client = 12 + 32 + 12 + measured.width() + 40 + 12;
    EXPECT_EQ(box.GetWindowRect().cx, client + 6);
    EXPECT_TRUE(iconShown);
    EXPECT_EQ(box.GetDlgItem(CDappleMessageBox::kIconId)->text, "dialog-warning");
    EXPECT_EQ(box.SkinControl(CDappleMessageBox::kIconId), nullptr) << "the icon keeps its own painting";
    EXPECT_EQ(title, "Brelvo");
    for (UINT icon : {MB_ICONHAND, MB_ICONQUESTION, MB_ICONASTERISK}) {
        CDappleMessageBox other("x", MB_OK | icon, "c");
        Run(other, [](CDappleMessageBox& b, QWidget*) { b.ViewEscape(); });
        const CDialogControl* c = other.GetDlgItem(CDappleMessageBox::kIconId);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->text, icon == MB_ICONHAND ? "dialog-error" : icon == MB_ICONQUESTION ? "dialog-question"
                                                                                       : "dialog-information");
    }
}

TEST_F(MessageBoxTest, EscapeGivesCancelOrTheLoneOkAndOtherwiseNothing)
{
    const struct {
        UINT type;
        int result;
    } rows[] = {{MB_OK, IDOK}, {MB_OKCANCEL, IDCANCEL}, {MB_YESNOCANCEL, IDCANCEL}, {MB_RETRYCANCEL, IDCANCEL},
                {MB_YESNO, -5}, {MB_ABORTRETRYIGNORE, -5}};
    for (const auto& r : rows) {
        CDappleMessageBox box("?", r.type, "c");
        EXPECT_EQ(Run(box, [](CDappleMessageBox& b, QWidget* w) {
                      QTest::keyClick(w, Qt::Key_Escape);
                      b.ViewCloseRequest();
                      if (!b.IsEnded())
                          b.EndDialog(-5);
                  }),
                  r.result)
            << r.type;
    }
    CDappleMessageBox box("?", MB_ABORTRETRYIGNORE, "c");
    EXPECT_EQ(Run(box, [](CDappleMessageBox&, QWidget* w) {
                  QTest::mouseClick(Control(w, IDIGNORE), Qt::LeftButton);
              }),
              IDIGNORE);
}

TEST_F(MessageBoxTest, TheApplicationsMessageBoxIsTheSkinnedOne)
{
    std::string title;
    std::string text;
    Later(0, [&] {
        QWidget* w = Window(0);
        ASSERT_NE(w, nullptr);
        title = w->windowTitle().toStdString();
        text = Text(w, CDappleMessageBox::kTextId);
        QTest::mouseClick(Control(w, IDNO), Qt::LeftButton);
    });
    EXPECT_EQ(AfxMessageBox("Delete the update?", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(title, "test_ui") << "the application's name";
    EXPECT_EQ(text, "Delete the update?");
    EXPECT_EQ(CDappleMessageBox::DefaultCaption(), "test_ui");
}
