// The rewrite routine's side files: those that writes cut short left for any
// file of a directory are cleared by the first write into it, whichever file
// it is for; names that only look alike stay.
#include <cstdio>

#include "common/host_file.h"
#include "platform/portable_testing.h"
#include "tests/native/support.h"

namespace {
class HostFileTest : public HostTest {};
}  // namespace

TEST_F(HostFileTest, SideFilesOfEveryFileOfTheDirectoryAreCleared) {
    make_dir("d");
    const char* left[] = {"d/b.dat.tarvex-new.99999.1", "d/b.dat.tarvex-new", "d/c.dat.tarvex-new.7.2"};
    const char* kept[] = {"d/notes.tarvex-newer", "d/.tarvex-new.1.1"};
    for (const char* f : left) write_bytes(f, {'x'});
    for (const char* f : kept) write_bytes(f, {'k'});
    const unsigned char a[] = {1, 2, 3};
    ASSERT_TRUE(replace_file_contents(win("d/a.dat").c_str(), a, sizeof a));
    for (const char* f : left) EXPECT_FALSE(exists(f)) << f;
    for (const char* f : kept) {
        EXPECT_EQ(read_bytes(f), Bytes{'k'}) << f;
        std::remove(at(f).c_str());
    }
    // Then b's own write finds the directory clear and writes its file.
    ASSERT_TRUE(replace_file_contents(win("d/b.dat").c_str(), a, sizeof a));
    EXPECT_EQ(read_bytes("d/b.dat"), Bytes(a, a + 3));
}

TEST_F(HostFileTest, ASideFileThatStaysKeepsTheDirectoryListed) {
    make_dir("d");
    const char side[] = "d/b.dat.tarvex-new.99999.1";
    write_bytes(side, {'x'});
    plat_testing::hold_open(win(side).c_str(), true);  // its writer is still at it
    const unsigned char a[] = {1, 2, 3}, b[] = {4, 5, 6};
    ASSERT_TRUE(replace_file_contents(win("d/a.dat").c_str(), a, sizeof a));
    EXPECT_TRUE(exists(side));
    // That writer ended without a word and the directory did not change
    // since: the next write lists it again and clears the side file.
    plat_testing::reset_faults();
    ASSERT_TRUE(replace_file_contents(win("d/a.dat").c_str(), b, sizeof b));
    EXPECT_FALSE(exists(side));
}
