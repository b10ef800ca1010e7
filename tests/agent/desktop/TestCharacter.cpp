#include "TestCharacter.h"

#include "agent/acs/Writer.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace desktoptest {

namespace {

// '.' transparent, 'r' red, 'g' green; stored bottom-up.
acs::ImageData image(const std::vector<std::string>& rows) {
    acs::ImageData img;
    img.width = static_cast<std::uint16_t>(rows.front().size());
    img.height = static_cast<std::uint16_t>(rows.size());
    const std::size_t stride = acs::ImageData::stride(img.width);
    img.pixels.assign(stride * img.height, 0);
    for (std::size_t row = 0; row < rows.size(); ++row)
        for (std::size_t col = 0; col < rows[row].size(); ++col)
            img.pixels[(img.height - 1 - row) * stride + col] = rows[row][col] == 'r'   ? 1
                                                                : rows[row][col] == 'g' ? 2
                                                                                        : 0;
    return img;
}

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
    d.images = {image({"......", ".rrrr.", ".r..r.", ".rrrr."}), image({"g"})};
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
    EXPECT_TRUE(written.ok()) << written.error.message();
    QFile file(dir + QLatin1Char('/') + name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(written.bytes.data()),
               static_cast<qint64>(written.bytes.size()));
    return file.fileName();
}

}  // namespace desktoptest
