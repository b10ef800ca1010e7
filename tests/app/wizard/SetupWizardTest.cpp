#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/wizard/SetupWizard.h"

namespace {

using platform::MessageButtons;
using platform::MessageIcon;

constexpr platform::MessageAnswer Yes = platform::MessageAnswer::Yes;
constexpr platform::MessageAnswer No = platform::MessageAnswer::No;

struct Box {
    const char* text;
    MessageIcon icon;
    MessageButtons buttons;
};
// clang-format off
const Box kBoxes[] = {
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
            EXPECT_EQ(box.text, QString::fromUtf8(kBoxes[i].text)) << "box " << i;
            EXPECT_EQ(box.icon, kBoxes[i].icon) << "box " << i;
            EXPECT_EQ(box.buttons, kBoxes[i].buttons) << "box " << i;
            EXPECT_TRUE(box.caption.isEmpty()) << "box " << i;
        }
    }
}

}  // namespace
