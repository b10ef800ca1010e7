#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/about/AboutForm.h"

namespace {

const QString kPathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH");
const QString kFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO");

using Values = QMap<QString, fakes::FakeSystemInfo::Value>;

// A registry value of `type` (1 a string, 2 an expandable string) holding `text`.
Values value(const QString& key, std::uint32_t type, const char* text) {
    return {{key, {type, QByteArray(text) + '\0'}}};
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
    Values values;
    QString file;     // the one file that exists
    QString program;  // the desktop's system information tool
    bool started;     // else the unavailable message
    bool secondKeyTried;
};

TEST(About, FindsTheSystemInformationProgramOrSaysItCannot) {
    const char* msinfo = "C:\\MSINFO\\MSINFO32.EXE";
    const char* tools = "C:\\TOOLS\\MSINFO32.EXE";
    const SysInfoCase cases[] = {
        {"path value", true, value(kPathKey, 1, msinfo), msinfo, {}, true, false},
        {"vanished file", true, value(kPathKey, 1, "C:\\gone.exe"), {}, {}, false, false},
        {"folder value", true, value(kFolderKey, 1, "C:\\TOOLS"), tools, {}, true, true},
        {"folder lacking it", true, value(kFolderKey, 1, "C:\\TOOLS"), {}, {}, false, true},
        {"expandable", true, value(kPathKey, 2, "%SystemRoot%\\x.exe"), {}, {}, false, false},
        {"desktop tool", false, {}, {}, "/usr/bin/hardinfo", true, false},
        {"nothing installed", false, {}, {}, {}, false, false},
    };
    for (const SysInfoCase& c : cases) {
        fakes::FakePlatform fake;
        fake.systemInfo.registry = c.registry;
        fake.systemInfo.values = c.values;
        fake.systemInfo.files = c.file.isEmpty() ? QStringList() : QStringList{c.file};
        fake.systemInfo.program = c.program;
        fake.processes.succeeds = [&](const QString& path) {
            return !path.isEmpty() && (path == c.file || path == c.program);
        };
        app::AboutForm form(fake.services);
        form.cmdSysInfo->click();
        if (!c.started) {
            ASSERT_EQ(fake.messages.boxes.size(), 1u) << c.what;
            EXPECT_EQ(fake.messages.boxes[0].text,
                      QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
            EXPECT_EQ(fake.messages.boxes[0].icon, platform::MessageIcon::None);
        } else {
            EXPECT_TRUE(fake.messages.boxes.empty()) << c.what;
            ASSERT_FALSE(fake.processes.starts.empty()) << c.what;
            EXPECT_EQ(fake.processes.starts.back().path, c.file + c.program) << c.what;
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
    QString text;
    const auto get = [&](const char* value) {
        text = QStringLiteral("before");
        return form.GetKeyValue(app::kHkeyLocalMachine, QStringLiteral("K"), value, text);
    };
    EXPECT_TRUE(get("n"));
    EXPECT_EQ(text, QStringLiteral("&h12A"));
    EXPECT_TRUE(get("b"));
    EXPECT_EQ(text, QStringLiteral("before"));
    EXPECT_FALSE(get("missing"));
    EXPECT_TRUE(text.isEmpty());
}

}  // namespace
