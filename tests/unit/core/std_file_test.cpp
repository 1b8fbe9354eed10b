#include <unistd.h>

#include "core/std_file.h"
#include "spine_test_environment.h"

namespace me {
namespace {

using StdFileTest = test::SpineTest;

TEST_F(StdFileTest, WrittenBytesReadBack) {
    StdFile out;
    ASSERT_TRUE(out.open("data.bin", StdFile::Write));
    ASSERT_TRUE(out.write("hello\0world", 11));
    EXPECT_EQ(out.tell(), 11);
    ASSERT_TRUE(out.close());
    StdFile in;
    ASSERT_TRUE(in.open("data.bin", StdFile::Read));
    EXPECT_EQ(in.size(), 11);
    char buffer[11];
    ASSERT_TRUE(in.read(buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer, 11), std::string("hello\0world", 11));
    EXPECT_EQ(log_text(), "");
}

TEST_F(StdFileTest, ReadWriteUpdatesInPlaceAndWriteTruncates) {
    write_file("f", "abcdef");
    StdFile update;
    ASSERT_TRUE(update.open("f", StdFile::Read | StdFile::Write));
    ASSERT_TRUE(update.seek(2, StdFile::Origin::Begin));
    ASSERT_TRUE(update.write("XY", 2));
    update.close();
    EXPECT_EQ(read_file("f"), "abXYef");
    StdFile truncate;
    ASSERT_TRUE(truncate.open("f", StdFile::Write));
    truncate.close();
    EXPECT_EQ(read_file("f"), "");
}

TEST_F(StdFileTest, BackslashPathsReachTheSameFile) {
    write_file("dir/inner.txt", "x");
    EXPECT_TRUE(StdFile::exists("dir\\inner.txt"));
}

TEST_F(StdFileTest, SizeKeepsThePositionAndSeekMovesIt) {
    write_file("f", "0123456789");
    StdFile file;
    ASSERT_TRUE(file.open("f", StdFile::Read));
    ASSERT_TRUE(file.seek(3, StdFile::Origin::Begin));
    EXPECT_EQ(file.size(), 10);
    EXPECT_EQ(file.tell(), 3);
    ASSERT_TRUE(file.seek(-2, StdFile::Origin::End));
    EXPECT_EQ(file.tell(), 8);
    ASSERT_TRUE(file.seek(-1, StdFile::Origin::Current));
    char c = 0;
    ASSERT_TRUE(file.read(&c, 1));
    EXPECT_EQ(c, '7');
}

TEST_F(StdFileTest, InvalidModesAreRefused) {
    StdFile file;
    EXPECT_FALSE(file.open("f", 0));
    EXPECT_FALSE(file.open("f", 0x1c));
    EXPECT_FALSE(file.is_open());
    EXPECT_EQ(log_text(), "error: Invalid StdFile open mode 0.\nerror: Invalid StdFile open mode 1c.\n");
}

TEST_F(StdFileTest, FailedOpensNameThePathAndTheDirection) {
    StdFile file;
    EXPECT_FALSE(file.open("missing.txt", StdFile::Read));
    EXPECT_FALSE(file.open("no/such/dir/out.txt", StdFile::Write));
    EXPECT_FALSE(file.open("missing.txt", StdFile::Read | StdFile::Write));
    std::filesystem::create_directory("a_directory");
    EXPECT_FALSE(file.open("a_directory", StdFile::Read));
    EXPECT_EQ(log_text(),
              "error: Can't open file 'missing.txt' for reading.\n"
              "error: Can't open file 'no/such/dir/out.txt' for writing.\n"
              "error: Can't open file 'missing.txt' for writing.\n"
              "error: Can't open file 'a_directory' for reading.\n");
}

TEST_F(StdFileTest, UnreportedFailuresAreSilent) {
    StdFile file;
    EXPECT_FALSE(file.open("missing.txt", StdFile::Read, false));
    EXPECT_FALSE(file.open("missing.txt", 0, false));
    EXPECT_FALSE(StdFile::exists("missing.txt"));
    EXPECT_EQ(log_text(), "");
}

TEST_F(StdFileTest, OperationsWithoutAStreamFail) {
    StdFile file;
    char byte = 0;
    EXPECT_EQ(file.tell(), -1);
    EXPECT_EQ(file.size(), -1);
    EXPECT_FALSE(file.read(&byte, 1));
    EXPECT_FALSE(file.write(&byte, 1));
    EXPECT_FALSE(file.seek(0, StdFile::Origin::Begin));
    EXPECT_TRUE(file.close());
    std::string expected;
    for (int operation = 0; operation < 5; ++operation)
        expected += "error: Invalid file handle.\n";
    EXPECT_EQ(log_text(), expected);
}

TEST_F(StdFileTest, ShortReadsWritesAndBadSeeksAreErrors) {
    write_file("f", "abc");
    StdFile file;
    ASSERT_TRUE(file.open("f", StdFile::Read));
    char buffer[10];
    EXPECT_FALSE(file.read(buffer, sizeof buffer));
    EXPECT_FALSE(file.write("xyz", 3));
    EXPECT_FALSE(file.seek(-5, StdFile::Origin::Begin));
    EXPECT_EQ(log_text(),
              "error: Error reading 10 bytes from the file.\n"
              "error: Error writing 3 bytes to the file.\n"
              "error: Error seeking the file.\n");
}

TEST_F(StdFileTest, MovingTransfersTheStream) {
    write_file("f", "abc");
    StdFile first;
    ASSERT_TRUE(first.open("f", StdFile::Read));
    StdFile second(std::move(first));
    EXPECT_FALSE(first.is_open());
    EXPECT_EQ(second.size(), 3);
    StdFile third;
    third = std::move(second);
    EXPECT_FALSE(second.is_open());
    EXPECT_EQ(third.size(), 3);
}

TEST_F(StdFileTest, ReadWholeReadsEverythingOrNothing) {
    std::string bytes = "stale";
    write_file("empty", "");
    EXPECT_TRUE(StdFile::read_whole("empty", bytes));
    EXPECT_EQ(bytes, "");
    write_file("full", std::string("a\0b", 3));
    EXPECT_TRUE(StdFile::read_whole("full", bytes));
    EXPECT_EQ(bytes, std::string("a\0b", 3));
    EXPECT_FALSE(StdFile::read_whole("missing", bytes));
    EXPECT_EQ(bytes, "");
    EXPECT_TRUE(logged("error: Can't read file 'missing'."));
}

TEST_F(StdFileTest, ReadWholeAcceptsExactly64MiB) {
    write_file("big", "");
    ASSERT_EQ(truncate("big", StdFile::kMaxWholeFileSize), 0);
    std::string bytes;
    EXPECT_TRUE(StdFile::read_whole("big", bytes));
    EXPECT_EQ(bytes.size(), static_cast<size_t>(StdFile::kMaxWholeFileSize));
    ASSERT_EQ(truncate("big", StdFile::kMaxWholeFileSize + 1), 0);
    EXPECT_FALSE(StdFile::read_whole("big", bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(logged("error: File too big."));
    EXPECT_TRUE(logged("error: Can't read file 'big'."));
}

TEST_F(StdFileTest, ReplaceWholeSwapsTheFileOrLeavesIt) {
    write_file("keep.txt", "old");
    ASSERT_TRUE(StdFile::replace_whole("keep.txt", "new contents"));
    EXPECT_EQ(read_file("keep.txt"), "new contents");
    std::filesystem::create_directory("occupied");
    write_file("occupied/inside", "x");
    EXPECT_FALSE(StdFile::replace_whole("occupied", "data"));
    EXPECT_TRUE(std::filesystem::is_directory("occupied"));
    EXPECT_FALSE(std::filesystem::exists("occupied.~writing"));
    EXPECT_TRUE(logged("error: Can't write file 'occupied'."));
}

}  // namespace
}  // namespace me
