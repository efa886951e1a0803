#include "common/text_helpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

TEST(HexToNumber, PlainValuesInEitherCase) {
    EXPECT_EQ(HexToNumber("8001"), 0x8001u);
    EXPECT_EQ(HexToNumber("80a5"), 0x80A5u);
    EXPECT_EQ(HexToNumber("80A5"), 0x80A5u);
    EXPECT_EQ(HexToNumber("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(HexToNumber(""), 0u);
}

TEST(HexToNumber, QuirksOfTheDigitRule) {
    // A ninth digit lands at shift 32 mod 32 = 0 and adds to the last place.
    EXPECT_EQ(HexToNumber("123456789"), 0x2345678Au);
    // A blank is a digit of value 0; other characters keep their low bits.
    EXPECT_EQ(HexToNumber("8001 "), 0x80010u);
    EXPECT_EQ(HexToNumber("G"), static_cast<uint32_t>(('G' - 55) & 15));
    EXPECT_EQ(HexToNumber("\xFF"), static_cast<uint32_t>((0xFF - 87) & 15));
}

TEST(CompareText, ExactWholeTextMatchGivesLength) {
    EXPECT_EQ(CompareText("YES", "YES"), 3u);
    EXPECT_EQ(CompareText("YES", "YES "), 0u);
    EXPECT_EQ(CompareText("YES", "yes"), 0u);
    EXPECT_EQ(CompareText("", ""), 0u);
    EXPECT_EQ(CompareText("SWITCHDECK 5s", "SWITCHDECK 5s"), 13u);
}

TEST(AppendText, CopyAppendAndAppendTexts) {
    char buf[32] = "";
    EXPECT_EQ(AppendText(buf, "abc"), buf);
    EXPECT_STREQ(buf, "abc");
    AppendTexts(3, buf, "-", "", "xyz");
    EXPECT_STREQ(buf, "abc-xyz");
    CopyText("q", buf);
    EXPECT_STREQ(buf, "q");
    EXPECT_EQ(TextLength(buf), 1u);
}

TEST(BoundedText, CutsAtCapacityAndNeverWritesPastIt) {
    char buf[8];
    memset(buf, 'Z', sizeof buf);
    EXPECT_FALSE(CopyTextBounded("0123456789", buf, 5));
    EXPECT_STREQ(buf, "0123");
    EXPECT_EQ(buf[5], 'Z');
    EXPECT_TRUE(AppendTextBounded(buf, 7, "ab"));
    EXPECT_STREQ(buf, "0123ab");
    EXPECT_FALSE(AppendTextBounded(buf, 7, "cd"));
    EXPECT_STREQ(buf, "0123ab");
    EXPECT_EQ(buf[7], 'Z');
    EXPECT_TRUE(CopyTextBounded("", buf, 1));
    EXPECT_STREQ(buf, "");
}

TEST(HexText, EightDigitsAndTheBoardIdText) {
    char out[9];
    HexText8(0x0123, out);
    EXPECT_STREQ(out, "00000123");
    char part[5];
    CopyTextPart(out, part, 4, 4);
    EXPECT_STREQ(part, "0123");
    char id[5];
    BoardIdText(0x180A5, id);
    EXPECT_STREQ(id, "80A5");
}

TEST(FileExists, FilesPatternsAndMissingFolders) {
    char dir[] = "/tmp/pellam_fe_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string file = std::string(dir) + "/Pellam.MDB";
    FILE* f = fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    EXPECT_EQ(FileExists(file.c_str()), 1);
    EXPECT_EQ(FileExists((std::string(dir) + "/*.MDB").c_str()), 1);
    EXPECT_EQ(FileExists((std::string(dir) + "/nope/Pellam.MDB").c_str()), 0);
    remove(file.c_str());
    rmdir(dir);
}
