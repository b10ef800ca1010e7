#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "app/media/FileSearch.h"
#include "files/DirectoryWalk.h"
#include "platform/os/NativePaths.h"

namespace {

using Names = std::vector<std::string>;

class FindFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path() + QStringLiteral("/drive/");
    }

    // Creates every path below the root: a trailing "/" makes a folder, anything else a file.
    void make(const QStringList& paths) {
        for (const QString& path : paths) {
            const bool folder = path.endsWith(QLatin1Char('/'));
            ASSERT_TRUE(QDir().mkpath(folder ? m_root + path : QFileInfo(m_root + path).path()));
            QFile file(m_root + path);
            ASSERT_TRUE(folder || (file.open(QIODevice::WriteOnly) && file.write("x") == 1));
        }
    }

    // The matches of a search of the root, relative to it.
    Names search(const QString& pattern = QStringLiteral("*.acs"), bool recurse = true) {
        m_found = app::FindFiles(m_root, pattern, recurse, m_platform.events);
        const std::string prefix = platform::rawPath(m_root);
        Names relative;
        for (const std::string& path : m_found) {
            EXPECT_EQ(path.rfind(prefix, 0), 0u) << path;
            relative.push_back(path.substr(prefix.size()));
        }
        return relative;
    }

    static Names sorted(Names list) {
        std::sort(list.begin(), list.end());
        return list;
    }

    QTemporaryDir m_dir;
    QString m_root;
    Names m_found;  // full paths of the last search
    fakes::FakePlatform m_platform;
};

TEST_F(FindFilesTest, WalksDepthFirstWithAFoldersMatchesBeforeItsSubfolders) {
    make({"a.acs", "readme.txt", "sub1/b.acs", "sub1/deep/c.acs", "sub2/d.acs", "sub2/e.bin"});
    const auto found = search();
    // Subfolders come in listing order, which the file system decides: either sub1 or sub2
    // first, but each subtree stays together and a folder precedes its subfolders.
    const Names sub1First{"a.acs", "sub1/b.acs", "sub1/deep/c.acs", "sub2/d.acs"};
    const Names sub2First{"a.acs", "sub2/d.acs", "sub1/b.acs", "sub1/deep/c.acs"};
    EXPECT_TRUE(found == sub1First || found == sub2First) << ::testing::PrintToString(found);
    EXPECT_EQ(m_platform.events.pumps, 3);  // sub1, deep, sub2

    // A second, smaller search replaces the list.
    EXPECT_EQ(search(QStringLiteral("*.acs"), false), Names{"a.acs"});
    EXPECT_EQ(m_platform.events.pumps, 3);
}

TEST_F(FindFilesTest, AMissingFolderFindsNothing) {
    make({"a.acs"});
    for (const QString& folder : {m_root + QStringLiteral("nowhere"), QString()}) {
        ASSERT_EQ(search().size(), 1u);
        EXPECT_TRUE(
            app::FindFiles(folder, QStringLiteral("*.acs"), true, m_platform.events).empty());
    }
}

TEST_F(FindFilesTest, DotFoldersAreSkippedButDotNamesMatchAndMatchingFoldersAreSearched) {
    make({".hidden/h.acs", ".f.acs", "old.acs/g.acs", "Upper.ACS"});
    const auto found = search();
    EXPECT_EQ(sorted(found), (Names{".f.acs", "Upper.ACS", "old.acs", "old.acs/g.acs"}));
    EXPECT_EQ(m_platform.events.pumps, 1);  // old.acs only
}

TEST_F(FindFilesTest, EveryOneOfManySubfoldersIsSearched) {
    for (const int folders : {10, 11, 40}) {
        ASSERT_TRUE(QDir(m_root).removeRecursively() || !QDir(m_root).exists());
        QStringList paths;
        for (int i = 1; i <= folders; ++i) {
            paths.append(QStringLiteral("f%1/x.acs").arg(i));
        }
        make(paths);
        m_platform.events.pumps = 0;
        EXPECT_EQ(search().size(), static_cast<std::size_t>(folders));
        EXPECT_EQ(m_platform.events.pumps, folders);
    }
}

TEST_F(FindFilesTest, SymbolicLinksToFoldersAreNotFollowed) {
    make({"sub/a.acs"});
    ASSERT_EQ(
        symlink(platform::rawPath(m_root).c_str(), platform::rawPath(m_root + "sub/loop").c_str()),
        0);
    ASSERT_EQ(symlink(platform::rawPath(m_root + "sub").c_str(),
                      platform::rawPath(m_root + "l.acs").c_str()),
              0);
    // The link itself is an entry with a matching name; nothing behind it is visited.
    EXPECT_EQ(sorted(search()), (Names{"l.acs", "sub/a.acs"}));
    EXPECT_EQ(m_platform.events.pumps, 1);
}

TEST_F(FindFilesTest, AnUnreadableFolderContributesNothing) {
    make({"locked/inner/x.acs", "open/y.acs"});
    const QByteArray locked = QFile::encodeName(m_root + "locked");
    ASSERT_EQ(chmod(locked.constData(), 0), 0);
    const bool ineffective = access(locked.constData(), R_OK) == 0;  // running as root
    const auto found = search();
    chmod(locked.constData(), 0755);
    if (ineffective) {
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    EXPECT_EQ(found, Names{"open/y.acs"});
}

TEST_F(FindFilesTest, NamesThatAreNotUtf8AreFoundByteExactly) {
    make({"sub/"});
    const std::string name = "sub/\xff\xfe\x81.acs";
    std::ofstream(platform::rawPath(m_root) + name) << "raw";
    EXPECT_EQ(search(), Names{name});
    EXPECT_TRUE(files::isRegularFile(m_found.at(0)));
    unlink((platform::rawPath(m_root) + name).c_str());  // QTemporaryDir cannot name it
}

}  // namespace
