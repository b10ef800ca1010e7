#include "TestCharacter.h"

#include "Fixture.h"

#include "agent/acs/Writer.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace desktoptest {

namespace {

// Frames of 100 ms, one per list of images.
acs::Animation animation(std::string name, std::vector<std::vector<acs::FrameImage>> frames) {
    acs::Animation a;
    a.name = name;
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    a.recordName = name;
    for (auto& images : frames) {
        a.frames.emplace_back().images = std::move(images);
        a.frames.back().duration = 10;
    }
    return a;
}

}  // namespace

acs::CharacterData makeCharacterData() {
    acs::CharacterData d;
    d.info.width = 8;
    d.info.height = 6;
    d.info.transparentIndex = 0;
    d.info.palette = {{255, 0, 255}, {255, 0, 0}, {0, 255, 0}};
    d.info.localized = {{0x0409, "Tester", "", ""}, {0x0411, "テスター", "", ""}};
    d.images = {
        acs::test::imageFromRows(
            {{0, 0, 0, 0, 0, 0}, {0, 1, 1, 1, 1, 0}, {0, 1, 0, 0, 1, 0}, {0, 1, 1, 1, 1, 0}}),
        acs::test::imageFromRows({{2}})};
    const acs::FrameImage block{0, 1, 1};
    d.animations = {animation("Show", {{block}}),
                    animation("Hide", {{block}}),
                    animation("RestPose", {{block}}),
                    animation("Wave", {{{1, 0, 0}, block}, {{1, 7, 5}, block}}),
                    animation("Empty", {{}}),
                    animation("Loop", {{block}})};
    d.animations.back().frames[0].branches.push_back({0, 100});
    d.info.states = {{"SHOWING", {"Show"}, {}}, {"HIDING", {"Hide"}, {}}};
    return d;
}

QString writeCharacter(const acs::CharacterData& data, const QString& dir, const QString& name) {
    const acs::WriteResult written = acs::writeCharacter(data);
    EXPECT_TRUE(written.ok()) << written.error().message();
    QFile file(dir + QLatin1Char('/') + name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(written.value().data()),
               static_cast<qint64>(written.value().size()));
    return file.fileName();
}

}  // namespace desktoptest
