// The main() of every Qt test program: a QApplication (offscreen, see the tests' environment),
// and a message handler that turns unexpected Qt warnings into test failures.

#include <QApplication>
#include <QByteArray>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "QtWarnings.h"

namespace testsupport {
namespace {

std::vector<ExpectQtWarning*> g_expected;
bool g_warnedOutsideTests = false;

// Notes about the machine the tests run on, not about the code under test: features the
// offscreen platform lacks, a session without a runtime folder.
bool environmentNoise(const QString& text) {
    return text.startsWith(QLatin1String("This plugin does not support")) ||
           text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"));
}

void handler(QtMsgType type, const QMessageLogContext&, const QString& text) {
    const QByteArray local = text.toLocal8Bit();
    std::fprintf(stderr, "%s\n", local.constData());
    if (type == QtDebugMsg || type == QtInfoMsg || environmentNoise(text) ||
        expectedQtWarning(text)) {
        return;
    }
    if (::testing::UnitTest::GetInstance()->current_test_info() != nullptr) {
        ADD_FAILURE() << "unexpected Qt warning: " << local.constData();
    } else {
        g_warnedOutsideTests = true;
    }
}

}  // namespace

ExpectQtWarning::ExpectQtWarning(QString prefix) : m_prefix(std::move(prefix)) {
    g_expected.push_back(this);
}

ExpectQtWarning::~ExpectQtWarning() {
    g_expected.erase(std::remove(g_expected.begin(), g_expected.end(), this), g_expected.end());
}

bool expectedQtWarning(const QString& text) {
    return std::any_of(g_expected.begin(), g_expected.end(),
                       [&](const ExpectQtWarning* e) { return text.startsWith(e->m_prefix); });
}

}  // namespace testsupport

int main(int argc, char** argv) {
    qInstallMessageHandler(testsupport::handler);
    // Test programs never need a display; gtest_discover_tests lists their tests without the
    // test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (testsupport::g_warnedOutsideTests) {
        std::fprintf(stderr, "unexpected Qt warning outside a test\n");
        return 1;
    }
    return result;
}
