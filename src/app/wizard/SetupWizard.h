#pragma once

#include <functional>

#include "platform/Services.h"

namespace app {

// The forms the wizard opens, each shown modally: the call returns when the form has closed.
// main() wires them to the character-download form and the drive-selection form; an empty
// function is skipped.
struct WizardForms {
    std::function<void()> showCharacterDownload;
    std::function<void()> showDriveSelect;
};

// The first-run setup wizard: two explanations, the question about downloading the sample
// characters (Yes opens the download form), the question about Office 2000 (Yes opens the drive
// wizard), then the confirmation. Only Yes to the confirmation records setup as done; on No
// nothing is written and the wizard runs again at the next start. Message boxes carry the
// application title.
void RunSetupWizard(platform::Services& services, const WizardForms& forms);

}  // namespace app
