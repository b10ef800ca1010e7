// The walk and the copy through the standard library only, so the same cases run on Linux and,
// cross-compiled, on Windows (FindFirstFileExW, CopyFileW). Paths are UTF-8 on both.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "files/DirectoryWalk.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// UTF-8 bytes to a path and back (std::u8string is a different type in C++20).
fs::path utf8Path(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class DirectoryWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_root = fs::temp_directory_path() / ("porukane-walk-" + std::to_string(random()));
        fs::create_directories(m_root);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    // Creates every path below the root: a trailing "/" makes a folder, anything else a file
    // holding its own name.
    void make(const Names& paths) const {
        for (const std::string& path : paths) {
            const fs::path full = m_root / utf8Path(path);
            fs::create_directories(path.back() == '/' ? full : full.parent_path());
            if (path.back() != '/')
                std::ofstream(full, std::ios::binary) << path;
        }
    }

    std::string root() const { return utf8(m_root) + kSeparator; }

    // The matches below the root, relative to it, with "/" between folders; `pumps` counts the
    // calls before each subfolder.
    Names search(const std::string& pattern, bool recurse = true) {
        Names found;
        const std::function<void()> pump = [this] { ++m_pumps; };
        const std::size_t count = files::findMatches(utf8(m_root), pattern, recurse, pump, found);
        EXPECT_EQ(count, found.size());
        Names relative;
        for (std::string path : found) {
            EXPECT_EQ(path.rfind(root(), 0), 0u) << path;
            path.erase(0, root().size());
            std::replace(path.begin(), path.end(), kSeparator, '/');
            relative.push_back(path);
        }
        return relative;
    }

    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path m_root;
    int m_pumps = 0;
};

TEST_F(DirectoryWalkTest, AFoldersMatchesComeBeforeThoseOfItsSubfolders) {
    make({"a.acs", "readme.txt", "sub1/b.ACS", "sub1/deep/c.acs", "sub2/d.acs", "sub2/e.bin"});
    const Names found = search("*.acs");
    const Names sub1First{"a.acs", "sub1/b.ACS", "sub1/deep/c.acs", "sub2/d.acs"};
    const Names sub2First{"a.acs", "sub2/d.acs", "sub1/b.ACS", "sub1/deep/c.acs"};
    EXPECT_TRUE(found == sub1First || found == sub2First) << ::testing::PrintToString(found);
    EXPECT_EQ(m_pumps, 3);  // sub1, deep, sub2
    EXPECT_EQ(search("*.acs", false), Names{"a.acs"});
    EXPECT_EQ(m_pumps, 3);
}

TEST_F(DirectoryWalkTest, DotFoldersAreNotEnteredButDotNamesAndMatchingFoldersCount) {
    make({".hidden/h.acs", ".f.acs", "old.acs/g.acs"});
    Names found = search("*.acs");
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Names{".f.acs", "old.acs", "old.acs/g.acs"}));
}

TEST_F(DirectoryWalkTest, NonAsciiNamesAreFoundAndCopiedUnchanged) {
    make({"フォルダ/キャラ.acs"});
    ASSERT_EQ(search("*.ACS"), Names{"フォルダ/キャラ.acs"});
    const std::string from = root() + "フォルダ" + kSeparator + "キャラ.acs";
    EXPECT_TRUE(files::isRegularFile(from));
    EXPECT_FALSE(files::isRegularFile(root() + "フォルダ"));
    const std::string to = root() + "写し.bin";
    const files::CopyResult copied = files::copyFile(from, to, true);
    ASSERT_TRUE(copied.ok) << copied.detail;
    EXPECT_EQ(read(m_root / utf8Path("写し.bin")), "フォルダ/キャラ.acs");
}

TEST_F(DirectoryWalkTest, AMissingFolderFindsNothing) {
    EXPECT_TRUE(search("*").empty());
    Names found;
    EXPECT_EQ(files::findMatches(root() + "nowhere", "*", true, {}, found), 0u);
    EXPECT_EQ(files::findMatches("", "*", true, {}, found), 0u);
    EXPECT_TRUE(found.empty());
}

TEST_F(DirectoryWalkTest, ACopyReplacesTheTargetAndAFailedOneLeavesNothing) {
    make({"big.acs", "target.bin"});
    const std::string big(3 * 1024 * 1024 + 7, 'x');  // more than one chunk of any fallback
    std::ofstream(m_root / "big.acs", std::ios::binary | std::ios::trunc) << big;
    ASSERT_TRUE(files::copyFile(root() + "big.acs", root() + "target.bin").ok);
    EXPECT_EQ(read(m_root / "target.bin"), big);

    const files::CopyResult missing = files::copyFile(root() + "gone.acs", root() + "new.bin");
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.detail.empty());
    EXPECT_FALSE(fs::exists(m_root / "new.bin"));

    const files::CopyResult noFolder =
        files::copyFile(root() + "big.acs", root() + "no" + kSeparator + "x.bin");
    EXPECT_FALSE(noFolder.ok);
    EXPECT_FALSE(fs::exists(m_root / "no"));
}

}  // namespace
