// `porukane-acs play FILE [ANIMATION] [--still] [--scale N] [--quit-after SECONDS]
// [--report-frames]`: the character engine
// on the desktop without the companion around it. Shows the character at the centre of the
// screen, then plays ANIMATION, or a random animation every couple of seconds. Prints each
// event it receives on stdout (one line each), so scripts can drive it with xdotool and check
// what happened. Esc, closing the window or hiding the character from its tray icon quits.
// --scale draws each character pixel as N x N screen pixels (default: the screen's device pixel
// ratio rounded); --report-frames prints, when the program ends, how many frames were prepared
// and painted.

#include "Play.h"

#include "agent/desktop/DesktopAgentControl.h"
#include "agent/desktop/DesktopCharacter.h"
#include "names/NameFold.h"
#include "platform/os/DisplaySession.h"

#include <QApplication>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QScreen>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kRandomAnimationMs = 2000;
const QString kId = QStringLiteral("play");

int usage() {
    std::fprintf(stderr,
                 "usage: porukane-acs play FILE [ANIMATION] [--still|--no-idle] [--scale N] "
                 "[--quit-after SECONDS] [--report-frames]\n");
    return 2;
}

void say(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// Esc anywhere in the program quits (the character window takes keys once clicked).
class EscapeQuits : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            QCoreApplication::quit();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

struct PlayOptions {
    QString file;
    QString animation;
    bool still = false;
    int quitAfterSeconds = 0;
    int scale = 0;  // 0: the screen's device pixel ratio, rounded
    bool reportFrames = false;
};

// False for arguments that do not fit the usage line.
bool parseArguments(int argc, char** argv, PlayOptions& o) {
    for (int i = 2; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--still") == 0 || std::strcmp(arg, "--no-idle") == 0) {
            o.still = true;
        } else if (std::strcmp(arg, "--scale") == 0 && i + 1 < argc) {
            bool ok = false;
            o.scale = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || o.scale < 1 || o.scale > 4) {
                std::fprintf(stderr, "porukane-acs: --scale takes 1, 2, 3 or 4\n");
                return false;
            }
        } else if (std::strcmp(arg, "--report-frames") == 0) {
            o.reportFrames = true;
        } else if (std::strcmp(arg, "--quit-after") == 0 && i + 1 < argc) {
            o.quitAfterSeconds = std::atoi(argv[++i]);
        } else if (arg[0] == '-' && arg[1] == '-') {
            return false;
        } else if (o.file.isEmpty()) {
            o.file = QString::fromLocal8Bit(arg);
        } else if (o.animation.isEmpty()) {
            o.animation = QString::fromLocal8Bit(arg);
        } else {
            return false;
        }
    }
    return !o.file.isEmpty();
}

// Every animation but Show and Hide, for the random turns.
QStringList playableAnimations(const desktop::DesktopCharacter& character) {
    QStringList playable;
    for (const QString& name : character.animationNames()) {
        const std::string stored = name.toStdString();
        if (!names::same(stored, "show") && !names::same(stored, "hide")) {
            playable.append(name);
        }
    }
    return playable;
}

// Prints the control's events; a hide ends the program.
void reportEvents(desktop::DesktopAgentControl& control) {
    auto mouse = [](const char* what) {
        return [what](const QString&, std::int16_t button, std::int16_t shift, std::int16_t x,
                      std::int16_t y) {
            say(QStringLiteral("%1 button=%2 shift=%3 x=%4 y=%5")
                    .arg(QLatin1String(what))
                    .arg(button)
                    .arg(shift)
                    .arg(x)
                    .arg(y));
        };
    };
    control.setClickHandler(mouse("click"));
    control.setDblClickHandler(mouse("dblclick"));
    control.setHideHandler([](const QString&, std::int16_t cause) {
        say(QStringLiteral("hide cause=%1").arg(cause));
        QCoreApplication::quit();
    });
}

void showAtScreenCentre(desktop::DesktopCharacter& character) {
    // Positions are physical screen pixels; Qt's geometry is in device-independent ones.
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect area = primary->availableGeometry();
    const double ratio = primary->devicePixelRatio();
    const QPoint centre(static_cast<int>(std::lround(area.center().x() * ratio)),
                        static_cast<int>(std::lround(area.center().y() * ratio)));
    const QSize size = character.frameSize();
    const QPoint topLeft = centre - QPoint(size.width() / 2, size.height() / 2);
    character.setLeft(static_cast<std::int16_t>(topLeft.x()));
    character.setTop(static_cast<std::int16_t>(topLeft.y()));
    character.show();
    say(QStringLiteral("shown at %1,%2 size %3x%4 scale %5")
            .arg(topLeft.x())
            .arg(topLeft.y())
            .arg(size.width())
            .arg(size.height())
            .arg(character.window()->pixelScale()));
}

}  // namespace

int runPlay(int argc, char** argv) {
    PlayOptions options;
    if (!parseArguments(argc, argv, options))
        return usage();

    platform::preferXWayland();
    // The program answers to the command it was started as: Qt names its windows (the tray
    // icon's among them) after argv[0].
    char programName[] = "porukane-acs";
    char* qtArgv[] = {programName, nullptr};
    int qtArgc = 1;
    QApplication app(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("porukane-acs"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (const QString why = platform::unsupportedSessionReason(); !why.isEmpty()) {
        std::fprintf(stderr, "porukane-acs: %s\n", why.toUtf8().constData());
    }

    desktop::DesktopAgentControl::Config config;
    config.playback.idle = !options.still;
    config.scale = options.scale;
    desktop::DesktopAgentControl control(config);
    QString error;
    if (!control.load(kId, options.file, &error)) {
        std::fprintf(stderr, "porukane-acs: %s\n", error.toUtf8().constData());
        return 1;
    }
    desktop::DesktopCharacter* character = control.desktopCharacter(kId);
    const QStringList playable = playableAnimations(*character);
    reportEvents(control);
    showAtScreenCentre(*character);

    QTimer randomTimer;
    if (!options.animation.isEmpty()) {
        character->play(options.animation);
    } else if (!options.still && !playable.isEmpty()) {
        QObject::connect(&randomTimer, &QTimer::timeout, [&] {
            const auto pick = QRandomGenerator::global()->bounded(playable.size());
            character->stop();
            character->play(playable.at(pick));
        });
        randomTimer.start(kRandomAnimationMs);
    }
    if (options.quitAfterSeconds > 0) {
        QTimer::singleShot(options.quitAfterSeconds * 1000, &app, &QCoreApplication::quit);
    }
    EscapeQuits escape;
    app.installEventFilter(&escape);
    const int status = app.exec();
    if (options.reportFrames) {
        const desktop::CharacterWindow* window = character->window();
        say(QStringLiteral("frames prepared %1 drawn %2")
                .arg(window ? window->framesPrepared() : 0)
                .arg(window ? window->framesDrawn() : 0));
    }
    return status;
}
