#include <gtest/gtest.h>

#include <string>

#include "config/config_error.h"
#include "config/crypt.h"

namespace lumo {
namespace {

// Expected digits worked out by hand from the key (the UTF-16LE bytes of the key text) and the
// shift by 255, independently of the code under test.
TEST(Crypt, EnciphersToTheDigitsExistingFilesHoldAndEveryByteComesBack) {
    struct Case {
        std::string plain, digits;
    };
    for (const Case& c :
         {Case{"", ""}, Case{"[Config]", "8DB8C8BC7FB768AB"},
          Case{"Software:Windows", "85E4BFC290AF73B344B95BCBFECD1303"},
          // Byte 255 plus each key byte wraps to the key byte itself; position 30 takes the first again.
          Case{std::string(31, '\xFF'), "3275594E194E014E0A62F15D9A5E9B8FEC5878760CFF505B114EC55B01FF32"}}) {
        EXPECT_EQ(Crypt::EnCryptBytes(c.plain), c.digits);
        EXPECT_EQ(Crypt::DeCryptBytes(c.digits), c.plain);
    }
    for (size_t position = 0; position < Crypt::KeyLength; ++position)
        for (int value = 1; value <= 255; ++value) {
            std::string plain = std::string(position, 'a') + static_cast<char>(value);
            ASSERT_EQ(Crypt::DeCryptBytes(Crypt::EnCryptBytes(plain)), plain) << value << " at " << position;
        }
    // Text goes through the ANSI code page: "é" is two bytes of UTF-8 but one ANSI byte.
    EXPECT_EQ(Crypt::EnCrypt("caf\xC3\xA9 \xE2\x82\xAC"), Crypt::EnCryptBytes("caf\xE9 \x80"));
    EXPECT_EQ(Crypt::DeCrypt(Crypt::EnCryptBytes("caf\xE9 \x80")), "caf\xC3\xA9 \xE2\x82\xAC");
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
        }
    }
}

}  // namespace
}  // namespace lumo
