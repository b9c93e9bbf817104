#include <gtest/gtest.h>

#include <string>

#include "config/config_error.h"
#include "config/crypt.h"

namespace lumo {
namespace {

// Expected digits worked out by hand from the key (the UTF-16LE bytes of the key text) and the
// shift by 255, independently of the code under test.
struct KnownLine {
    std::string plain;
    std::string digits;
};

class CryptKnownLines : public ::testing::TestWithParam<KnownLine> {};

TEST_P(CryptKnownLines, EnciphersToTheDigitsExistingFilesHold) {
    EXPECT_EQ(Crypt::EnCryptBytes(GetParam().plain), GetParam().digits);
    EXPECT_EQ(Crypt::DeCryptBytes(GetParam().digits), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(Lines, CryptKnownLines,
                         ::testing::Values(KnownLine{"", ""}, KnownLine{"[Config]", "8DB8C8BC7FB768AB"},
                                           KnownLine{"Software:Windows", "85E4BFC290AF73B344B95BCBFECD1303"},
                                           // Byte 255 plus each key byte wraps to the key byte itself.
                                           KnownLine{std::string(30, '\xFF'),
                                                     "3275594E194E014E0A62F15D9A5E9B8FEC5878760CFF505B114EC55B01FF"}));

TEST(Crypt, EveryByteValueComesBackAtEveryKeyPosition) {
    for (size_t position = 0; position < Crypt::KeyLength; ++position) {
        for (int value = 1; value <= 255; ++value) {
            std::string plain(position, 'a');
            plain.push_back(static_cast<char>(value));
            std::string digits = Crypt::EnCryptBytes(plain);
            ASSERT_EQ(Crypt::DeCryptBytes(digits), plain) << "byte " << value << " at position " << position;
        }
    }
}

TEST(Crypt, KeyRepeatsAfterThirtyBytes) {
    std::string line(31, 'x');
    std::string digits = Crypt::EnCryptBytes(line);
    ASSERT_EQ(digits.size(), 62u);
    EXPECT_EQ(digits.substr(60, 2), digits.substr(0, 2)) << "position 30 uses the first key byte again";
    EXPECT_NE(digits.substr(2, 2), digits.substr(0, 2));
}

TEST(Crypt, OutputIsTwoUpperCaseDigitsPerAnsiByte) {
    // "é" is two bytes of UTF-8 but one ANSI byte.
    std::string text = "caf\xC3\xA9 \xE2\x82\xAC";
    std::string digits = Crypt::EnCrypt(text);
    EXPECT_EQ(digits.size(), 2 * 6u);
    for (char c : digits)
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << digits;
    EXPECT_EQ(Crypt::DeCrypt(digits), text);
}

TEST(Crypt, DecipheringAcceptsLowerCaseDigits) { EXPECT_EQ(Crypt::DeCrypt("8db8c8bc7fb768ab"), "[Config]"); }

TEST(Crypt, ShortTextDeciphersToNothing) {
    EXPECT_EQ(Crypt::DeCrypt(""), "");
    EXPECT_EQ(Crypt::DeCrypt("8"), "");
    EXPECT_EQ(Crypt::DeCrypt("\xC3\xA9"), "") << "one character of two bytes is still fewer than 2 characters";
}

TEST(Crypt, MalformedDigitsFailWithTypeMismatch) {
    for (std::string bad : {"8DG8", "8D 8", "8DB8C", "+1", "\xC3\xA9\xC3\xA9"}) {
        try {
            Crypt::DeCrypt(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const ConfigError& e) {
            EXPECT_EQ(e.Number, 13) << bad;
            EXPECT_FALSE(e.Description.empty());
        }
    }
}

}  // namespace
}  // namespace lumo
