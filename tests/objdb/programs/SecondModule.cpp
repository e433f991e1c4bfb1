#include "tests/objdb/programs/SecondModule.h"

extern "C" __attribute__((visibility("default"))) SecondModuleView OpenAsSecondModule(const char* szPrefix)
{
    // A database of this module's own, which must not replace the first one's.
    static int s_ownDatabase = 0;
    static pjCrossModuleHolder* const s_pHolder =
        new pjCrossModuleHolder(reinterpret_cast<pjObjectDatabase*>(&s_ownDatabase), szPrefix);
    SecondModuleView view{};
    view.pRecord = s_pHolder->Get();
    view.bCreated = s_pHolder->WasCreated();
    if (view.pRecord != nullptr)
        view.record = *view.pRecord;
    view.pPublishCode = reinterpret_cast<const void*>(&pjPublishObjectDatabase);
    return view;
}
