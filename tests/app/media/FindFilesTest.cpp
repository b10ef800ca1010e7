#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "TestFiles.h"
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
        for (const QString& path : paths)
            testsupport::writeFiles(m_root, {{path, "x"}});
    }

    // The matches of a search of the root, relative to it.
    Names search() {
        m_found = app::FindFiles(m_root, QStringLiteral("*.acs"), true, m_platform.events);
        const std::string prefix = platform::rawPath(m_root);
        Names relative;
        for (const std::string& path : m_found) {
            EXPECT_EQ(path.rfind(prefix, 0), 0u) << path;
            relative.push_back(path.substr(prefix.size()));
        }
        return relative;
    }

    QTemporaryDir m_dir;
    QString m_root;
    Names m_found;  // full paths of the last search
    fakes::FakePlatform m_platform;
};

TEST_F(FindFilesTest, EveryOneOfManySubfoldersIsSearched) {
    for (const int folders : {10, 11, 40}) {
        ASSERT_TRUE(QDir(m_root).removeRecursively() || !QDir(m_root).exists());
        QStringList paths;
        for (int i = 1; i <= folders; ++i)
            paths.append(QStringLiteral("f%1/x.acs").arg(i));
        make(paths);
        m_platform.events.pumps = 0;
        EXPECT_EQ(search().size(), static_cast<std::size_t>(folders));
        EXPECT_EQ(m_platform.events.pumps, folders);
    }
}

TEST_F(FindFilesTest, SymbolicLinksToFoldersAreNotFollowed) {
    make({"sub/a.acs"});
    const auto link = [](const QString& to, const QString& from) {
        return symlink(platform::rawPath(to).c_str(), platform::rawPath(from).c_str());
    };
    ASSERT_EQ(link(m_root, m_root + "sub/loop"), 0);
    ASSERT_EQ(link(m_root + "sub", m_root + "l.acs"), 0);
    // The link itself is an entry with a matching name; nothing behind it is visited.
    Names found = search();
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Names{"l.acs", "sub/a.acs"}));
    EXPECT_EQ(m_platform.events.pumps, 1);
}

// Whether a walk of `root` by an ordinary user finds `expected` and nothing else. Root reads
// every folder, so as root the walk runs in a child process that has become "nobody"; the tree
// then lies below /tmp, which every user can pass through.
bool ordinaryUserFindsOnly(const std::string& root, const std::string& expected) {
    const auto walk = [&] {
        std::vector<std::string> found;
        files::findMatches(root, "*.acs", true, {}, found);
        return found == std::vector<std::string>{root + expected};
    };
    if (geteuid() != 0)
        return walk();
    const passwd* nobody = getpwnam("nobody");
    const pid_t child = fork();
    if (child == 0) {
        const bool dropped =
            setgroups(0, nullptr) == 0 && setgid(nobody != nullptr ? nobody->pw_gid : 65534) == 0 &&
            setuid(nobody != nullptr ? nobody->pw_uid : 65534) == 0 && geteuid() != 0;
        _exit(!dropped ? 2 : walk() ? 0 : 1);
    }
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "cannot become nobody";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(FindFilesTest, AnUnreadableFolderContributesNothing) {
    QTemporaryDir open(QStringLiteral("/tmp/porukane-walk-XXXXXX"));
    ASSERT_TRUE(open.isValid());
    ASSERT_EQ(chmod(QFile::encodeName(open.path()).constData(), 0755), 0);
    m_root = open.path() + QStringLiteral("/drive/");
    make({"locked/inner/x.acs", "open/y.acs", "shut/z.acs"});
    // One folder allows nothing, the other can be passed through but not listed.
    const QByteArray locked = QFile::encodeName(m_root + "locked");
    const QByteArray shut = QFile::encodeName(m_root + "shut");
    ASSERT_EQ(chmod(locked.constData(), 0), 0);
    ASSERT_EQ(chmod(shut.constData(), 0111), 0);
    EXPECT_TRUE(ordinaryUserFindsOnly(platform::rawPath(m_root), "open/y.acs"));
    chmod(locked.constData(), 0755);
    chmod(shut.constData(), 0755);
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("(missing)");
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

int kernelCopies = 0;

// What copy_file_range answers between two file systems.
long long refuseAcrossFileSystems(int, int, std::size_t) {
    ++kernelCopies;
    errno = EXDEV;
    return -1;
}

// Copies a little, then fails as a dying disk would.
long long failAfterAFewBytes(int in, int out, std::size_t) {
    if (kernelCopies++ == 0)
        return copy_file_range(in, nullptr, out, nullptr, 4096, 0);
    errno = EIO;
    return -1;
}

// Imports from a CD, a USB stick or another mount all take the read-and-write path.
TEST(CopyFile, WhenTheKernelCannotCopyBetweenFileSystemsTheBytesAreCopiedByReading) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string from = platform::rawPath(dir.path() + "/from.acs");
    const std::string to = platform::rawPath(dir.path() + "/to.bin");
    // More than one read buffer and not a multiple of it, with no repeating pattern.
    std::string bytes(600'001, '\0');
    std::mt19937 random(7);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<char>(random()); });
    writeFile(from, bytes);
    struct Restore {
        ~Restore() { files::kernelCopyForTesting = nullptr; }
    } restore;

    files::kernelCopyForTesting = refuseAcrossFileSystems;
    for (const bool sync : {false, true}) {
        writeFile(to, std::string(700'000, 'x'));  // a longer old file is cut to size
        kernelCopies = 0;
        const files::CopyResult result = files::copyFile(from, to, sync);
        EXPECT_TRUE(result.ok) << result.detail;
        EXPECT_EQ(kernelCopies, 1);
        EXPECT_TRUE(contents(to) == bytes) << "copy differs, size " << contents(to).size();
    }
    writeFile(from, "");
    EXPECT_TRUE(files::copyFile(from, to).ok);
    EXPECT_EQ(contents(to), "");

    // Once the kernel has copied part of the file a failure is final, and the partial file goes.
    writeFile(from, bytes);
    files::kernelCopyForTesting = failAfterAFewBytes;
    kernelCopies = 0;
    const files::CopyResult broken = files::copyFile(from, to, true);
    EXPECT_FALSE(broken.ok);
    EXPECT_EQ(broken.errorNumber, EIO);
    EXPECT_EQ(contents(to), "(missing)");

    // The same across a real second file system, where the machine has one.
    files::kernelCopyForTesting = nullptr;
    QTemporaryDir memory(QStringLiteral("/dev/shm/porukane-copy-XXXXXX"));
    struct stat here = {}, there = {};
    if (memory.isValid() && stat(platform::rawPath(memory.path()).c_str(), &there) == 0 &&
        stat(platform::rawPath(dir.path()).c_str(), &here) == 0 && here.st_dev != there.st_dev) {
        const std::string far = platform::rawPath(memory.path() + "/far.acs");
        writeFile(far, bytes);
        EXPECT_TRUE(files::copyFile(far, to, true).ok);
        EXPECT_TRUE(contents(to) == bytes);
    }
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
