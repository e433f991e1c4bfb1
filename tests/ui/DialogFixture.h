// The dialogs as a user meets them: a private store and update folder (a copy
// of the sample update), Qt's offscreen platform, and the windows found by
// their object names (template id for the window, dialog id for a control)
// and driven with real mouse and key events while the modal loop runs. The
// skin is set up as the notifier's start-up does it.
#pragma once

#include "platform/kernel32/Environment.h"
#include "tests/support/TestPaths.h"
#include "tests/update/UpdateFolderFixture.h"
#include "ui/skin/CDappleWinApp.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace testsupport {

class DialogTest : public UpdateFolderTest {
protected:
    void SetUp() override
    {
        UpdateFolderTest::SetUp();
        SetEnvironmentVariableA("QT_QPA_PLATFORM", "offscreen");
        SetEnvironmentVariableA("GLM_MILESTONE", BuildPath("tools/glm-milestone").c_str());
        SetEnvironmentVariableA("BRELVO_GUI_MODULE", BuildPath("NotifierQt.so").c_str());
        m_skin = std::make_unique<CDappleWinApp>();
        m_skin->GetGlobals().InitColours(0);
        m_skin->GetGlobals().SetBitmapIds(1, 2, 3, 4, 5, 6, 7, 8, 9, 132, 131, 134, 133, 135, 136, 2);
    }

    // The sample update copied into the private folder, named by "NewUpdate".
    std::string StageSampleUpdate(const std::string& name = "update")
    {
        const std::string folder = Root() + "/" + name;
        std::filesystem::copy(BuildPath("sample-update"), folder, std::filesystem::copy_options::recursive);
        SetNewUpdate(folder);
        return folder;
    }

    // Starts Qt the way a test drives it: before the dialog, so that actions
    // can be queued for the time its modal loop runs.
    void StartQt()
    {
        if (QApplication::instance() == nullptr)
            m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }

    // Runs action from Qt's loop after delayMs.
    static void Later(int delayMs, std::function<void()> action)
    {
        QTimer::singleShot(delayMs, QApplication::instance(), std::move(action));
    }

    // Runs action from Qt's loop as soon as condition holds, looking every few
    // milliseconds in whichever loop runs (a nested dialog's, the installer
    // wait's). The minute is only a safety net: past it the test fails,
    // naming what it waited for, and action still runs so that the dialogs end.
    static void When(std::string what, std::function<bool()> condition, std::function<void()> action)
    {
        WhenBefore(std::chrono::steady_clock::now() + std::chrono::minutes(1), std::move(what), std::move(condition),
                   std::move(action));
    }

    // The visible window of that template id, or null.
    static QWidget* Window(int templateId)
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QString::number(templateId) && w->isVisible())
                return w;
        return nullptr;
    }
    static QWidget* Control(QWidget* window, int id)
    {
        return window != nullptr ? window->findChild<QWidget*>(QString::number(id)) : nullptr;
    }
    static std::string Text(QWidget* window, int id)
    {
        QWidget* w = Control(window, id);
        if (auto* b = qobject_cast<QPushButton*>(w))
            return b->text().toStdString();
        if (auto* l = qobject_cast<QLabel*>(w))
            return l->text().toStdString();
        return "<no control " + std::to_string(id) + ">";
    }

private:
    static void WhenBefore(std::chrono::steady_clock::time_point deadline, std::string what,
                           std::function<bool()> condition, std::function<void()> action)
    {
        Later(5, [deadline, what = std::move(what), condition = std::move(condition),
                  action = std::move(action)]() mutable {
            if (condition()) {
                action();
            } else if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "waited a minute in vain for " << what;
                action();
            } else {
                WhenBefore(deadline, std::move(what), std::move(condition), std::move(action));
            }
        });
    }

    int m_argc = 1;
    char m_arg0[8] = "test_ui";
    char* m_argv[2] = {m_arg0, nullptr};
    std::unique_ptr<QApplication> m_app;
    std::unique_ptr<CDappleWinApp> m_skin;
};

}  // namespace testsupport
