// main() of the desktop tests: they need a QApplication.

#include <QApplication>

#include <gtest/gtest.h>

namespace {

// The offscreen platform cannot shape or raise windows and says so on every window; the
// widget still keeps the shape, which is what the tests read.
QtMessageHandler g_defaultHandler = nullptr;

void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.startsWith(QLatin1String("This plugin does not support")) && g_defaultHandler)
        g_defaultHandler(type, context, text);
}

}  // namespace

int main(int argc, char** argv) {
    g_defaultHandler = qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
