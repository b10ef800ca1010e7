#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/wizard/SetupWizard.h"

namespace {

constexpr platform::MessageAnswer Yes = platform::MessageAnswer::Yes;
constexpr platform::MessageAnswer No = platform::MessageAnswer::No;

// Whatever the answers, the same five boxes appear (three of them questions); the answers choose
// which forms open between them and whether setup is recorded as done.
TEST(SetupWizardTest, AnswersChooseFormsAndCompletion) {
    struct Case {
        platform::MessageAnswer download, office, done;
        QStringList events;  // forms opened, with the box count at that moment
        bool recorded;
    };
    const Case cases[] = {
        {No, No, Yes, {}, true},
        {No, No, No, {}, false},
        {Yes, Yes, No, {"download@3", "drive@4"}, false},
        {Yes, No, Yes, {"download@3"}, true},
        {No, Yes, Yes, {"drive@4"}, true},
    };
    for (const Case& c : cases) {
        fakes::FakePlatform fake;
        fake.messages.answers = {c.download, c.office, c.done};
        QStringList events;
        const app::WizardForms forms{
            [&] { events << QStringLiteral("download@%1").arg(fake.messages.boxes.size()); },
            [&] { events << QStringLiteral("drive@%1").arg(fake.messages.boxes.size()); }};
        app::RunSetupWizard(fake.services, forms);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(fake.settings.writes,
                  c.recorded ? QStringList{"Agent/ver99/1_0=True"} : QStringList{});
        EXPECT_EQ(fake.messages.boxes.size(), 5u);
        EXPECT_TRUE(fake.messages.answers.empty());  // each answer went to a question
    }
}

}  // namespace
