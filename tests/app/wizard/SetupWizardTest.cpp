#include <gtest/gtest.h>

#include <QCoreApplication>

#include "FakePlatform.h"
#include "app/core/wizard/SetupWizard.h"

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

constexpr MessageAnswer Yes = MessageAnswer::Yes;
constexpr MessageAnswer No = MessageAnswer::No;

TEST(SetupWizardTest, BoxesAsTheUserSeesThem) {
    fakes::FakePlatform fake;
    app::RunSetupWizard(fake.services, {});
    struct Expected {
        const char* text;
        MessageIcon icon;
        MessageButtons buttons;
    };
    // clang-format off
    const Expected expected[] = {
        {"このプログラムの説明です\r\r"
         "このプログラムは、マイクロソフト社のOffice2000についてくる、オフィスアシスタントのキャラクターを気に入っていて、いつも、自分のそばに・・・と、考えている人のために作りました\r\r"
         "通常のオフィスアシスタントの動作と違い、アニメーションしたり、画面を縦横無尽に動きます。\r"
         "このソフトが、あなたの心の支えになったら、うれしいです (^o^)v",
         MessageIcon::Information, MessageButtons::Ok},
        {"このプログラムを使うのには、前もってやらなくちゃいけないことがあります。\r\r"
         "いまから、質問をしますので、該当する方を選択してください",
         MessageIcon::Information, MessageButtons::Ok},
        {"質問\r"
         "マイクロソフト社のホームページから、オフィスアシスタントのサンプルファイルをダウンロードしますか？\r\r"
         "ここで、ダウンロードできるものは、Office2000にはないキャラクターが使用できます\r"
         "Office2000を、もっていない方でも、ここからダウンロードすれば数種類ですが、使用できますよ",
         MessageIcon::Question, MessageButtons::YesNo},
        {"質問\r"
         "マイクロソフト社の Office2000 をパソコンにインストールしていますか？",
         MessageIcon::Question, MessageButtons::YesNo},
        {"これで全て、インストールが完了しました。ダウンロードなどもうまくいって、この作業を2度としないようにしますか？\r"
         " 'いいえ' を選択すると、再起動時に再びこれらの作業を行います",
         MessageIcon::Information, MessageButtons::YesNo},
    };
    // clang-format on
    ASSERT_EQ(fake.messages.boxes.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const fakes::RecordedBox& box = fake.messages.boxes[i];
        EXPECT_EQ(box.text, QString::fromUtf8(expected[i].text)) << "box " << i;
        EXPECT_EQ(box.icon, expected[i].icon) << "box " << i;
        EXPECT_EQ(box.buttons, expected[i].buttons) << "box " << i;
        EXPECT_TRUE(box.caption.isEmpty()) << "box " << i;
    }
}

// Which forms open, in which order and between which boxes, and whether setup is recorded.
TEST(SetupWizardTest, AnswersChooseFormsAndCompletion) {
    struct Case {
        MessageAnswer download, office, done;
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
        EXPECT_EQ(fake.messages.boxes.size(), 5u);
        EXPECT_EQ(fake.settings.writes,
                  c.recorded ? QStringList{QStringLiteral("Agent/ver99/1_0=True")} : QStringList{});
    }
}

}  // namespace
