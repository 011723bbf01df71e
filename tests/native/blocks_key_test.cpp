// The four code-key rules, side by side on the same inputs, and keys too long
// for a record's 8-byte code field.
#include <string>

#include "blocks/block_format.h"
#include "blocks/code_key.h"
#include "tests/native/blocks_support.h"

namespace {

std::string key(bool (*rule)(const char*, char*), const char* label) {
    char skcode[kCodeKeyBytes];
    std::memset(skcode, 'x', sizeof skcode);
    bool ok = rule(label, skcode);
    return ok ? std::string(skcode) : "refused:" + std::string(skcode);
}

}  // namespace

TEST(BlocksKey, EachRuleOnTheSameLabels) {
    struct Row { const char* label; const char* letter_aware; const char* plain; const char* two_markets; };
    const Row rows[] = {
        {"600000", "SH600000", "SH600000", "SH600000"},
        {"688001", "SH688001", "SH688001", "SH688001"},
        {"000001", "SZ000001", "SZ000001", "SZ000001"},
        {"399001", "SZ399001", "SZ399001", "SZ399001"},
        {"00700", "HK00700", "HK00700", "SZ00700"},
        {"SH600000", "SH600000", "refused:", "refused:"},
        {"z1", "z1", "HKz1", "SHz1"},      // 'z' (0x7A) is the last letter taken as a market
        {"{1", "HK{1", "HK{1", "SH{1"},    // 0x7B is not
        {"@1", "HK@1", "HK@1", "SH@1"},    // 0x40 is not
        {"\xB9\xFA", "HK\xB9\xFA", "HK\xB9\xFA", "SZ\xB9\xFA"},  // GBK bytes sort as negative
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.label);
        EXPECT_EQ(key(key_letter_aware, r.label), r.letter_aware);
        EXPECT_EQ(key(key_plain, r.label), r.plain);
        EXPECT_EQ(key(key_two_markets, r.label), r.two_markets);
    }
}

TEST(BlocksKey, IntegerCodesArePaddedToSixDigits) {
    char skcode[kCodeKeyBytes];
    const std::pair<int, const char*> rows[] = {
        {0, "SZ000000"}, {1, "SZ000001"}, {599999, "SZ599999"}, {600000, "SH600000"}, {699999, "SH699999"}};
    for (const auto& r : rows) {
        ASSERT_TRUE(key_integer(r.first, skcode));
        EXPECT_STREQ(skcode, r.second);
    }
    EXPECT_FALSE(key_integer(700000, skcode));
    EXPECT_FALSE(key_integer(-1, skcode));
    EXPECT_STREQ(skcode, "");
}

TEST(BlocksKey, KeysLongerThanTheCodeFieldAreRefusedNotCut) {
    // Cut to 8 bytes, SH6000001 would be filed as SH600000, another security.
    EXPECT_EQ(key(key_letter_aware, "SH6000001"), "refused:");
    EXPECT_EQ(key(key_letter_aware, "1234567"), "refused:");
    std::string huge(400, '7');
    EXPECT_EQ(key(key_letter_aware, huge.c_str()), "refused:");
    EXPECT_EQ(key(key_plain, huge.c_str()), "refused:");
}
