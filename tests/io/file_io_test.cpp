#include "io/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "scratch_files.h"

using namespace kestrel;
using kestrel::test::FileSizeLimit;
using kestrel::test::ScratchDir;

namespace {

std::vector<uint8_t> bytes(std::size_t n, uint8_t value) { return std::vector<uint8_t>(n, value); }

// Only the target may be left in the directory: no temporary file survives.
std::size_t entriesIn(const std::filesystem::path& dir) {
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) n += entry.path().filename() != "sub";
    return n;
}

}  // namespace

TEST(FileIo, ReadsOnlyRegularFilesWithinTheLimit) {
    ScratchDir dir;
    const std::string small = dir.write("small.bin", bytes(100, 7));
    std::filesystem::create_directory(dir.path() / "sub");
    std::filesystem::create_symlink("/dev/zero", dir.path() / "zero.cmd");

    std::vector<uint8_t> got{1, 2, 3};
    EXPECT_TRUE(readWholeFile(small, 100, got));
    EXPECT_EQ(got, bytes(100, 7));

    struct Case {
        std::string path;
        std::size_t limit;
        const char* says;
    } cases[] = {
        {small, 99, "is too large: 100 bytes, at most 99"},
        {dir.file("sub"), 1 << 20, "is a directory"},
        {dir.file("zero.cmd"), 1 << 20, "is not a regular file"},
        {dir.file("missing"), 1 << 20, "Cannot open"},
        {"", 10, "No file name"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> untouched{9};
        const IoResult r = readWholeFile(c.path, c.limit, untouched);
        EXPECT_FALSE(r) << c.path;
        EXPECT_NE(r.message.find(c.says), std::string::npos) << r.message;
        EXPECT_EQ(untouched, std::vector<uint8_t>{9}) << c.path;
    }
}

TEST(FileIo, AtomicWriteReplacesKeepsPermissionsAndFollowsLinks) {
    ScratchDir dir;
    const std::string target = dir.write("shot.gif", bytes(10, 1));
    chmod(target.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomic(target, std::string_view("new contents")));
    EXPECT_EQ(test::readFile(target).size(), 12u);
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);

    std::filesystem::create_symlink("shot.gif", dir.path() / "link.gif");
    ASSERT_TRUE(writeFileAtomic(dir.file("link.gif"), std::string_view("via link")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.gif"));
    EXPECT_EQ(test::readFile(target).size(), 8u);
    EXPECT_EQ(entriesIn(dir.path()), 2u);

    std::filesystem::create_directory(dir.path() / "sub");
    EXPECT_NE(writeFileAtomic(dir.file("sub"), std::string_view("x")).message.find("is a directory"),
              std::string::npos);
    EXPECT_FALSE(writeFileAtomic(dir.file("nodir/x.bin"), std::string_view("x")));
    EXPECT_FALSE(writeFileAtomic("/dev/null", std::string_view("x")));
}

TEST(FileIo, AFailedWriteKeepsTheOldFileWhole) {
    ScratchDir dir;
    const std::string target = dir.write("memdump.bin", bytes(1000, 0x55));
    IoResult r;
    {
        FileSizeLimit limit(4096);
        r = writeFileAtomic(target, bytes(65536, 0xAA));
    }

    EXPECT_FALSE(r);
    EXPECT_NE(r.message.find("Cannot write " + target), std::string::npos) << r.message;
    EXPECT_EQ(test::readFile(target), bytes(1000, 0x55));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(FileIo, StreamingWriterReplacesOnlyOnCommit) {
    ScratchDir dir;
    const std::string target = dir.write("sound.wav", bytes(10, 1));
    {
        AtomicFileWriter w;
        ASSERT_TRUE(w.open(target));
        ASSERT_TRUE(w.append(bytes(100, 2)));
        EXPECT_EQ(test::readFile(target), bytes(10, 1));
    }  // dropped without commit
    EXPECT_EQ(test::readFile(target), bytes(10, 1));
    EXPECT_EQ(entriesIn(dir.path()), 1u);

    AtomicFileWriter w;
    ASSERT_TRUE(w.open(target));
    ASSERT_TRUE(w.append(bytes(8, 3)));
    ASSERT_TRUE(w.writeAt(2, bytes(2, 4)));
    ASSERT_TRUE(w.append(bytes(2, 5)));
    EXPECT_FALSE(w.writeAt(9, bytes(2, 4)));
    {
        // A failed append leaves the file as it was, ready for more.
        FileSizeLimit limit(4096);
        const IoResult r = w.append(bytes(65536, 0xAA));
        EXPECT_NE(r.message.find("Cannot write " + target), std::string::npos) << r.message;
        EXPECT_EQ(w.size(), 10u);
    }
    ASSERT_TRUE(w.commit());
    EXPECT_EQ(test::readFile(target), (std::vector<uint8_t>{3, 3, 4, 4, 3, 3, 3, 3, 5, 5}));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
    EXPECT_FALSE(w.append(bytes(1, 0)));
}
