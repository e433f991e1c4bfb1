// CBSUWizard: the occasional task that tells the user about a downloaded
// update. It is due when the notification data says so; its action runs the
// update dialog, whose buttons carry out the user's choice.
#pragma once

#include "update/COccasionalTask.h"

class CBSUWizard : public COccasionalTask {
public:
    static constexpr int kPriority = 80;

    HRESULT DoYouNeedToRun(int& needToRun) override;
    HRESULT PerformAction() override;
    int GetPriority() override { return kPriority; }
    ~CBSUWizard() override = default;

    // Runs the update dialog modally and gives the value it ended with.
    int ShowDialog();
};
