#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "QtWarnings.h"
#include "app/media/CharacterImport.h"
#include "platform/os/NativePaths.h"

namespace {

using Files = std::map<QString, QByteArray>;

class CharacterImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_program = m_dir.filePath(QStringLiteral("program"));
        m_drive = m_dir.filePath(QStringLiteral("drive"));
        ASSERT_TRUE(QDir().mkpath(m_program) && QDir().mkpath(m_drive));
    }

    static void write(const QString& folder, const Files& files) {
        for (const auto& [name, content] : files) {
            QFile file(folder + QLatin1Char('/') + name);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) >= 0);
        }
    }

    // Every entry of a folder with its content ("/" for a folder).
    static Files contents(const QString& folder) {
        Files found;
        const QDir dir(folder);
        for (const QFileInfo& entry :
             dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
            QFile file(entry.filePath());
            found[entry.fileName()] =
                entry.isDir() ? QByteArray("/") : (file.open(QIODevice::ReadOnly), file.readAll());
        }
        return found;
    }

    std::vector<std::string> sources(const QStringList& names) const {
        std::vector<std::string> raw;
        for (const QString& name : names) {
            raw.push_back(platform::rawPath(m_drive + QLatin1Char('/') + name));
        }
        return raw;
    }

    QTemporaryDir m_dir;
    QString m_program;
    QString m_drive;
};

TEST_F(CharacterImportTest, ReplacesEveryOldCharacterFileInTheGivenOrder) {
    write(m_program, {{"1.bin", "old1"}, {"7.BIN", "old7"}, {"temp.bin", "t"}, {"Keep.txt", "k"}});
    write(m_drive, {{"b.acs", "second"}, {"a.acs", "first"}});
    std::vector<std::pair<int, int>> progress;
    const auto outcome = app::CharacterImport(m_program).run(
        sources({"a.acs", "b.acs"}), [&](int i, int count) { progress.emplace_back(i, count); });
    EXPECT_TRUE(outcome.ok);
    EXPECT_TRUE(outcome.failedItem.isEmpty());
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
    // The staging folder and temp.bin are gone; other files stay.
    EXPECT_EQ(contents(m_program),
              (Files{{"1.bin", "first"}, {"2.bin", "second"}, {"Keep.txt", "k"}}));
}

TEST_F(CharacterImportTest, AFailedCopyLeavesTheOldFilesAndNamesTheSource) {
    write(m_program, {{"1.bin", "old1"}, {"2.bin", "old2"}});
    write(m_drive, {{"a.acs", "first"}});
    testsupport::ExpectQtWarning copyFailed(QStringLiteral("copy of"));
    const auto outcome = app::CharacterImport(m_program).run(sources({"a.acs", "gone.acs"}));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failedItem, m_drive + QStringLiteral("/gone.acs"));
    EXPECT_EQ(copyFailed.count(), 1);
    EXPECT_EQ(contents(m_program), (Files{{"1.bin", "old1"}, {"2.bin", "old2"}}));
}

TEST_F(CharacterImportTest, AStagingFolderThatCannotBeMadeIsNamed) {
    write(m_program, {{"1.bin", "old1"}, {"import.tmp", "in the way"}});
    write(m_drive, {{"a.acs", "first"}});
    const auto outcome = app::CharacterImport(m_program).run(sources({"a.acs"}));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failedItem,
              QDir::toNativeSeparators(m_program + QStringLiteral("/import.tmp")));
    EXPECT_EQ(contents(m_program), (Files{{"1.bin", "old1"}, {"import.tmp", "in the way"}}));
}

TEST_F(CharacterImportTest, AFailedSwapPutsTheOldFilesBack) {
    // A folder named 2.bin is no character file, so it stays, and the second new file cannot
    // take its place: the first new file is removed again and the old ones return.
    write(m_program, {{"1.bin", "old1"}, {"5.bin", "old5"}});
    ASSERT_TRUE(QDir(m_program).mkpath(QStringLiteral("2.bin/inside")));
    write(m_drive, {{"a.acs", "first"}, {"b.acs", "second"}});
    const auto outcome = app::CharacterImport(m_program).run(sources({"a.acs", "b.acs"}));
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.failedItem.isEmpty());
    EXPECT_EQ(contents(m_program), (Files{{"1.bin", "old1"}, {"2.bin", "/"}, {"5.bin", "old5"}}));
}

}  // namespace
