// The rewrite routine's side files: one that another writer still holds
// keeps its directory from being noted clear, so it goes once that writer is.
#include "common/host_file.h"
#include "platform/portable_testing.h"
#include "tests/native/support.h"

namespace {
class HostFileTest : public HostTest {};
}  // namespace

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
