// What every file write shares, through the block exports: side files that
// a cut-short write left for another file of the directory are cleared, and
// a settings value cut inside a GBK character names a file without a stray
// byte.
#include "tests/wine/wine_check.h"

namespace {

Chart block_chart(float block) {
    Chart c(3);
    c.label = "600000";
    c.constant(1);
    c.p2 = {block};
    return c;
}

}  // namespace

WINE_TEST(files_side_files_of_another_file_of_the_directory_are_cleared) {
    const std::string dir = "userdata\\block\\";
    const std::string left[] = {dir + "自选股4.BLK.tarvex-new.99999.1", dir + "自选股4.BLK.tarvex-new"};
    const std::string alike = dir + "notes.tarvex-newer";  // not a side file
    for (const std::string& f : left) write_bytes(f, {'x'});
    write_bytes(alike, {'k'});
    write_bytes(dir + "自选股4.BLK", block_file_bytes({"SZ000001"}));
    Chart three = block_chart(3);
    CHECK_EQ(call("save2blk", three), 2);
    for (const std::string& f : left) CHECK(!file_exists(f));
    CHECK(read_bytes(alike) == Bytes{'k'});
    remove_file(alike);
    Chart four = block_chart(4);
    CHECK_EQ(call("save2blk", four), 2);
    CHECK(read_bytes(dir + "自选股4.BLK") == block_file_bytes({"SZ000001", "SH600000"}));
    remove_file(dir + "自选股3.BLK");
    remove_file(dir + "自选股4.BLK");
}

WINE_TEST(files_settings_value_cut_inside_a_gbk_character) {
    // 20 double-byte characters for a read limit of 40: 39 bytes end in the
    // first byte of the 20th.
    std::string twenty;
    for (int i = 0; i < 20; ++i) twenty += "股";
    write_text("TARVEX.ini", "[板块名]\r\n5=" + twenty + "\r\n");
    Chart c = block_chart(5);
    CHECK_EQ(call("save2blk", c), 2);
    const std::string want = twenty.substr(0, 38) + ".BLK";
    std::vector<std::string> named;
    walk_tree(host_path("userdata\\block") + "\\", [&](const std::string& path, bool) {
        if (path.find(twenty.substr(0, 38)) != std::string::npos) named.push_back(path);
        return false;
    });
    CHECK_EQ(named.size(), 1u);
    CHECK(!named.empty() && named[0] == host_path("userdata\\block\\" + want));
    CHECK(read_bytes("userdata\\block\\" + want) == block_file_bytes({"SH600000"}));
    remove_file("userdata\\block\\" + want);
    remove_file("TARVEX.ini");
}
