#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/about/AboutForm.h"

namespace {

const QString kPathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH");
const QString kFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO");

QByteArray sz(const char* text) {
    return QByteArray(text) + '\0';
}

TEST(About, ShowsTheBuildVersion) {
    fakes::FakePlatform fake;
    app::AboutForm form(fake.services);
    EXPECT_EQ(form.lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.0"));
    EXPECT_TRUE(form.cmdOK->isDefault());
}

TEST(About, EnterAndEscCloseTheBox) {
    fakes::FakePlatform fake;
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        app::AboutForm form(fake.services);
        form.show();
        QTest::keyClick(&form, key);
        EXPECT_FALSE(form.isVisible()) << key;
    }
}

struct SysInfoCase {
    const char* what;
    bool registry;
    QMap<QString, fakes::FakeSystemInfo::Value> values;
    QStringList files;
    QString program;
    QString started;  // empty: the unavailable message instead
    bool secondKeyTried;
};

TEST(About, FindsTheSystemInformationProgramOrSaysItCannot) {
    const SysInfoCase cases[] = {
        {"path value",
         true,
         {{kPathKey, {1, sz("C:\\MSINFO\\MSINFO32.EXE")}}},
         {QStringLiteral("C:\\MSINFO\\MSINFO32.EXE")},
         {},
         QStringLiteral("C:\\MSINFO\\MSINFO32.EXE"),
         false},
        {"path to a vanished file", true, {{kPathKey, {1, sz("C:\\gone.exe")}}}, {}, {}, {}, false},
        {"folder value",
         true,
         {{kFolderKey, {1, sz("C:\\TOOLS")}}},
         {QStringLiteral("C:\\TOOLS\\MSINFO32.EXE")},
         {},
         QStringLiteral("C:\\TOOLS\\MSINFO32.EXE"),
         true},
        {"folder without the program",
         true,
         {{kFolderKey, {1, sz("C:\\TOOLS")}}},
         {},
         {},
         {},
         true},
        {"expandable string",
         true,
         {{kPathKey, {2, sz("%SystemRoot%\\x.exe")}}},
         {},
         {},
         {},
         false},
        {"desktop tool",
         false,
         {},
         {},
         QStringLiteral("/usr/bin/hardinfo"),
         QStringLiteral("/usr/bin/hardinfo"),
         false},
        {"nothing installed", false, {}, {}, {}, {}, false},
    };
    for (const SysInfoCase& c : cases) {
        fakes::FakePlatform fake;
        fake.systemInfo.registry = c.registry;
        fake.systemInfo.values = c.values;
        fake.systemInfo.files = c.files;
        fake.systemInfo.program = c.program;
        fake.processes.succeeds = [&](const QString& path) {
            return c.files.contains(path) || path == c.program;
        };
        app::AboutForm form(fake.services);
        form.cmdSysInfo->click();
        if (c.started.isEmpty()) {
            ASSERT_EQ(fake.messages.boxes.size(), 1u) << c.what;
            EXPECT_EQ(fake.messages.boxes[0].text,
                      QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
            EXPECT_EQ(fake.messages.boxes[0].icon, platform::MessageIcon::None);
        } else {
            EXPECT_TRUE(fake.messages.boxes.empty()) << c.what;
            ASSERT_FALSE(fake.processes.starts.empty()) << c.what;
            EXPECT_EQ(fake.processes.starts.back().path, c.started) << c.what;
        }
        EXPECT_EQ(fake.systemInfo.queries.contains(kFolderKey), c.secondKeyTried) << c.what;
    }
}

TEST(About, GetKeyValueFormatsNumbersAndLeavesOtherTypesAlone) {
    fakes::FakePlatform fake;
    fake.systemInfo.registry = true;
    fake.systemInfo.values[QStringLiteral("K|n")] = {4, QByteArray("\x2a\x01\0\0", 4)};
    fake.systemInfo.values[QStringLiteral("K|b")] = {3, QByteArray("\x01\x02", 2)};
    app::AboutForm form(fake.services);
    QString text = QStringLiteral("before");
    EXPECT_TRUE(
        form.GetKeyValue(app::kHkeyLocalMachine, QStringLiteral("K"), QStringLiteral("n"), text));
    EXPECT_EQ(text, QStringLiteral("&h12A"));
    text = QStringLiteral("before");
    EXPECT_TRUE(
        form.GetKeyValue(app::kHkeyLocalMachine, QStringLiteral("K"), QStringLiteral("b"), text));
    EXPECT_EQ(text, QStringLiteral("before"));
    EXPECT_FALSE(form.GetKeyValue(app::kHkeyLocalMachine, QStringLiteral("K"),
                                  QStringLiteral("missing"), text));
    EXPECT_TRUE(text.isEmpty());
}

}  // namespace
