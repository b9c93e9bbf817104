#include <gtest/gtest.h>

#include <string>

#include "config/config_error.h"
#include "config/crypt.h"

namespace lumo {
namespace {

// Expected digits worked out by hand from the key (the UTF-16LE bytes of the key text) and the
// shift by 255, independently of the code under test.
TEST(Crypt, EnciphersToTheDigitsExistingFilesHold) {
    struct Case {
        std::string plain, digits;
    };
    for (const Case& c :
         {Case{"", ""}, Case{"[Config]", "8DB8C8BC7FB768AB"},
          Case{"Software:Windows", "85E4BFC290AF73B344B95BCBFECD1303"},
          // Byte 255 plus each key byte wraps to the key byte itself.
          Case{std::string(30, '\xFF'), "3275594E194E014E0A62F15D9A5E9B8FEC5878760CFF505B114EC55B01FF"}}) {
        EXPECT_EQ(Crypt::EnCryptBytes(c.plain), c.digits);
        EXPECT_EQ(Crypt::DeCryptBytes(c.digits), c.plain);
    }
    std::string digits = Crypt::EnCryptBytes(std::string(31, 'x'));
    EXPECT_EQ(digits.substr(60), digits.substr(0, 2)) << "position 30 uses the first key byte again";
    EXPECT_NE(digits.substr(2, 2), digits.substr(0, 2));
}

TEST(Crypt, EveryByteValueComesBackAtEveryKeyPosition) {
    for (size_t position = 0; position < Crypt::KeyLength; ++position) {
        for (int value = 1; value <= 255; ++value) {
            std::string plain(position, 'a');
            plain.push_back(static_cast<char>(value));
            ASSERT_EQ(Crypt::DeCryptBytes(Crypt::EnCryptBytes(plain)), plain) << value << " at " << position;
        }
    }
}

TEST(Crypt, OutputIsTwoUpperCaseDigitsPerAnsiByte) {
    // "é" is two bytes of UTF-8 but one ANSI byte.
    std::string text = "caf\xC3\xA9 \xE2\x82\xAC";
    std::string digits = Crypt::EnCrypt(text);
    EXPECT_EQ(digits.size(), 2 * 6u);
    EXPECT_EQ(digits.find_first_not_of("0123456789ABCDEF"), std::string::npos) << digits;
    EXPECT_EQ(Crypt::DeCrypt(digits), text);
}

// Lower-case digits are read; text shorter than two characters deciphers to nothing; anything
// else fails with Type mismatch.
TEST(Crypt, DecipheringReadsEitherCaseAndRefusesWhatAreNotPairsOfDigits) {
    EXPECT_EQ(Crypt::DeCrypt("8db8c8bc7fb768ab"), "[Config]");
    for (std::string shortText : {"", "8", "\xC3\xA9"})
        EXPECT_EQ(Crypt::DeCrypt(shortText), "") << shortText;
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
