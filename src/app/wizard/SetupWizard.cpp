#include "app/wizard/SetupWizard.h"

#include "app/core/AppSettings.h"
#include "app/wizard/Texts.h"

namespace app {

namespace text = texts::wizard;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

void RunSetupWizard(platform::Services& services, const WizardForms& forms) {
    auto ask = [&](const char16_t* message, MessageIcon icon, MessageButtons buttons) {
        return services.messages.show(QString::fromUtf16(message), icon, buttons);
    };
    ask(text::kExplanation, MessageIcon::Information, MessageButtons::Ok);
    ask(text::kPreparation, MessageIcon::Information, MessageButtons::Ok);

    // The two answers are independent; the download always comes before the drive search.
    if (ask(text::kAskDownload, MessageIcon::Question, MessageButtons::YesNo) ==
            MessageAnswer::Yes &&
        forms.showCharacterDownload) {
        forms.showCharacterDownload();
    }
    if (ask(text::kAskOffice, MessageIcon::Question, MessageButtons::YesNo) == MessageAnswer::Yes &&
        forms.showDriveSelect) {
        forms.showDriveSelect();
    }
    if (ask(text::kConfirmDone, MessageIcon::Information, MessageButtons::YesNo) ==
        MessageAnswer::Yes) {
        AppSettings(services.settings).markSetupDone();
    }
}

}  // namespace app
