#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/wizard/SetupWizard.h"

namespace {

using platform::MessageButtons;
using platform::MessageIcon;

constexpr platform::MessageAnswer Yes = platform::MessageAnswer::Yes;
constexpr platform::MessageAnswer No = platform::MessageAnswer::No;

// The five boxes by kind: the introduction, the note, the download and Office questions, and
// the closing question.
const std::pair<MessageIcon, MessageButtons> kBoxes[] = {
    {MessageIcon::Information, MessageButtons::Ok},
    {MessageIcon::Information, MessageButtons::Ok},
    {MessageIcon::Question, MessageButtons::YesNo},
    {MessageIcon::Question, MessageButtons::YesNo},
    {MessageIcon::Information, MessageButtons::YesNo},
};

// Whatever the answers, the same five boxes appear; the answers choose which forms open
// between them and whether setup is recorded as done.
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
                  c.recorded ? QStringList{QStringLiteral("Agent/ver99/1_0=True")} : QStringList{});
        ASSERT_EQ(fake.messages.boxes.size(), std::size(kBoxes));
        for (std::size_t i = 0; i < std::size(kBoxes); ++i) {
            const fakes::RecordedBox& box = fake.messages.boxes[i];
            EXPECT_EQ(std::pair(box.icon, box.buttons), kBoxes[i]) << "box " << i;
            EXPECT_TRUE(box.caption.isEmpty()) << "box " << i;
        }
    }
}

}  // namespace
