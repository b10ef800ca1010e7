// Draws our own character and writes it as a manifest with indexed PNG images and WAVE sounds,
// the input of `porukane-acs build`. Usage: porukane-character-gen OUTPUT_DIR
//
// Everything is computed, nothing is read: the same program always writes the same files.

#include "Animations.h"
#include "Artist.h"
#include "Atlas.h"
#include "Palette.h"
#include "Sounds.h"
#include "Texts.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <exception>

namespace {

using namespace mascot;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

QJsonObject names(const char* name, const char* description) {
    return {{"name", QString::fromUtf8(name)},
            {"description", QString::fromUtf8(description)},
            {"extra", ""}};
}

// The animations as manifest entries; drawing their poses fills the atlas.
QJsonArray animationsJson(Atlas& atlas) {
    QJsonArray animationList;
    for (const AnimationSpec& animation : animations()) {
        QJsonArray frames;
        for (const FrameSpec& f : animation.frames) {
            QJsonArray layers;
            if (f.pose)
                for (const Layer& l : atlas.layers(*f.pose))
                    layers.append(QJsonArray{l.image, l.x, l.y});
            QJsonArray branches;
            for (const auto& [target, percent] : f.branches)
                branches.append(QJsonArray{target, percent});
            frames.append(QJsonObject{{"durationMs", f.durationMs},
                                      {"images", layers},
                                      {"sound", f.sound},
                                      {"exitBranch", f.exit},
                                      {"branches", branches}});
        }
        animationList.append(QJsonObject{{"name", QString::fromStdString(animation.name)},
                                         {"transition", animation.transition},
                                         {"returnAnimation", ""},
                                         {"frames", frames}});
    }
    return animationList;
}

bool writeImages(const QDir& dir, const Atlas& atlas, QJsonArray& imageList) {
    const std::vector<QImage> images = atlas.images();
    for (std::size_t i = 0; i < images.size(); ++i) {
        const QString name = QString("img/%1.png").arg(i, 4, 10, QChar('0'));
        if (!images[i].save(dir.filePath(name), "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(dir.filePath(name)));
            return false;
        }
        imageList.append(name);
    }
    return true;
}

bool writeSounds(const QDir& dir, QJsonArray& soundList) {
    // Both encodings are used so that both decoders of the player get exercised.
    const std::pair<const char*, std::vector<std::uint8_t>> sounds[kSoundCount] = {
        {"snd/pop.wav", pcmWave(popSound())},       {"snd/swish.wav", pcmWave(hideSound())},
        {"snd/blip.wav", pcmWave(blipSound())},     {"snd/chime.wav", adpcmWave(chimeSound())},
        {"snd/boing.wav", adpcmWave(boingSound())},
    };
    for (const auto& [name, bytes] : sounds) {
        const QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                              static_cast<qsizetype>(bytes.size()));
        if (!writeFile(dir.filePath(name), data)) {
            std::fprintf(stderr, "cannot write %s\n", name);
            return false;
        }
        soundList.append(name);
    }
    return true;
}

QJsonArray paletteJson(const Palette& palette) {
    QJsonArray paletteList;
    for (QRgb c : palette.colors())
        paletteList.append(QJsonArray{qRed(c), qGreen(c), qBlue(c)});
    return paletteList;
}

QJsonObject statesJson() {
    QJsonObject stateMap;
    for (const StateSpec& s : states()) {
        QJsonArray list;
        for (const std::string& a : s.animations)
            list.append(QString::fromStdString(a));
        stateMap.insert(QString::fromStdString(s.name), list);
    }
    return stateMap;
}

int run(const QString& outDir) {
    QDir dir(outDir);
    if (!dir.mkpath("img") || !dir.mkpath("snd")) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(outDir));
        return 1;
    }

    Palette palette;
    Atlas atlas(palette);

    const QJsonArray animationList = animationsJson(atlas);
    QJsonArray imageList;
    QJsonArray soundList;
    if (!writeImages(dir, atlas, imageList) || !writeSounds(dir, soundList))
        return 1;

    if (!trayIcon().save(dir.filePath("icon.png"), "PNG")) {
        std::fprintf(stderr, "cannot write the tray icon\n");
        return 1;
    }

    const QJsonObject manifest{
        {"width", kFrameSize},
        {"height", kFrameSize},
        {"transparentIndex", kTransparentIndex},
        {"palette", paletteJson(palette)},
        {"guid", "{6d6f6368-696d-6172-7500-706f72756b61}"},
        {"names", QJsonObject{{"0x0411", names(kNameJa, kDescriptionJa)},
                              {"0x0409", names(kNameEn, kDescriptionEn)}}},
        {"trayIcon", "icon.png"},
        {"states", statesJson()},
        {"images", imageList},
        {"sounds", soundList},
        {"animations", animationList},
    };
    if (!writeFile(dir.filePath("character.json"), QJsonDocument(manifest).toJson())) {
        std::fprintf(stderr, "cannot write the manifest\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    try {
        return run(QString::fromLocal8Bit(argv[1]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
