// The ProfileApi contract, checked against the portable INI functions everywhere and against
// kernel32's under Wine: the same bytes and counts on every case. Every case uses a file of its
// own, since the system caches INI files by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/portable/portable_profile_api.h"
#include "support/scratch_folder.h"
#ifdef _WIN32
#include "platform/win32/win32_profile_api.h"
#endif

namespace lumo {
namespace {

using testing::ScratchFolder;
using namespace std::string_literals;

template <class T>
class ProfileApiTest : public ::testing::Test {
protected:
    T api;
    ScratchFolder dir;
    int files = 0;

    std::string NewFile(std::string_view bytes) { return dir.Write("f" + std::to_string(files++) + ".ini", bytes); }

    // The count and the bytes written (the buffer is prefilled with '#', and what is written
    // always ends with a zero byte); nothing may be written past the buffer.
    std::pair<uint32_t, std::string> Read(const std::string& file, std::string_view section, uint32_t size) {
        std::string buffer(size + 8, '#');
        uint32_t n = api.GetSection(section, buffer.data(), size, file);
        EXPECT_EQ(buffer.substr(size), std::string(8, '#')) << "wrote past the buffer";
        buffer.resize(size);
        buffer.erase(buffer.find_last_not_of('#') + 1);
        return {n, buffer};
    }
};

#ifdef _WIN32
using Implementations = ::testing::Types<PortableProfileApi, Win32ProfileApi>;
#else
using Implementations = ::testing::Types<PortableProfileApi>;
#endif
TYPED_TEST_SUITE(ProfileApiTest, Implementations);

const std::string kMixed = "[s]\r\na=1\r\nb=\r\nc=\"\"\r\nnoequals\r\n; comment\r\n\r\n  d = 4  \r\n[t]\r\nx=y\r\n";
const std::string kMixedLf = "[s]\na=1\nb=\nc=\"\"\nnoequals\n; comment\n\n  d = 4  \n[t]\nx=y\n";

TYPED_TEST(ProfileApiTest, SectionReadsGiveTheSystemsBytesAndCounts) {
    struct Case {
        std::string file, section;
        uint32_t size, count;
        std::string bytes;
    };
    const std::string all = "a=1\0b=\0c=\"\"\0noequals\0d=4\0\0"s;
    const std::vector<Case> cases = {
        {kMixed, "s", 100, 25, all},
        {kMixedLf, "s", 100, 25, all},
        {kMixed, "S", 100, 25, all},
        {kMixed, "t", 100, 4, "x=y\0\0"s},
        // Too small: cut, two zero bytes, size - 2; a list that exactly fills the buffer is too
        // small as well.
        {kMixed, "s", 12, 10, "a=1\0b=\0c=\"\0\0"s},
        {kMixed, "s", 8, 6, "a=1\0b=\0\0"s},
        {kMixed, "s", 5, 3, "a=1\0\0"s},
        {kMixed, "s", 4, 2, "a=\0\0"s},
        {kMixed, "s", 3, 1, "a\0\0"s},
        {kMixed, "s", 2, 0, "\0\0"s},
        {"[s]\na=1\n", "s", 5, 3, "a=1\0\0"s},
        {"[s]\na=1\n", "s", 6, 4, "a=1\0\0"s},
        // Missing and empty sections, and the section name taken as written.
        {kMixed, "missing", 100, 0, "\0\0"s},
        {"[e]\n[s]\na=1\n", "e", 100, 0, "\0\0"s},
        {kMixed, " s ", 100, 0, "\0\0"s},
        {kMixed, "", 100, 0, "\0\0"s},
        // Repeated sections: the first one only.
        {"[s]\na=1\n[t]\nx=1\n[s]\nb=2\n", "s", 100, 4, "a=1\0\0"s},
        // A last line without a line end.
        {"[s]\na=1\nb=2", "s", 100, 8, "a=1\0b=2\0\0"s},
        // Blanks around "=" go, blanks inside names stay; an empty name stays; ";" lines are
        // comments, "#" lines are not.
        {"[e]\n[s]\n\n\n\nmy key = my value\n=novalue\n;c=1\n#h=2\n k\t=\tv \n", "s", 100, 34,
         "my key=my value\0=novalue\0#h=2\0k=v\0\0"s},
        // Headers: trimmed name up to the last "]"; a "[" line without "]" is an entry; lines before
        // the first header form the section with the empty name.
        {"top=1\n[ s ]\na=1\n[s\nb=2\n[s]x\nc=3\n", "s", 100, 11, "a=1\0[s\0b=2\0\0"s},
        {"top=1\n[ s ]\na=1\n", "", 100, 6, "top=1\0\0"s},
        // A zero byte ends a name; a line that holds nothing before it is no entry.
        {"[s]\na=1\n\0\n\0junk\nb=2\n"s, "s", 100, 8, "a=1\0b=2\0\0"s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(this->Read(this->NewFile(c.file), c.section, c.size), std::pair(c.count, c.bytes))
            << c.file << " [" << c.section << "] size " << c.size;
    EXPECT_EQ(this->Read(this->dir.Path("absent.ini"), "s", 100), std::pair(0u, "\0\0"s));
}

TYPED_TEST(ProfileApiTest, WritesRewriteTheFileInTheSystemsForm) {
    struct Case {
        std::string before, section, key, value, after;
    };
    const std::vector<Case> cases = {
        // An empty value written to an existing key: the key stays with nothing after "=".
        {kMixed, "s", "a", "", "[s]\r\na=\r\nb=\r\nc=\"\"\r\nnoequals\r\n; comment\r\nd=4\r\n[t]\r\nx=y\r\n"},
        {kMixedLf, "s", "a", "", "[s]\r\na=\r\nb=\r\nc=\"\"\r\nnoequals\r\n; comment\r\nd=4\r\n[t]\r\nx=y\r\n"},
        {kMixed, "s", "new", "v",
         "[s]\r\na=1\r\nb=\r\nc=\"\"\r\nnoequals\r\n; comment\r\nd=4\r\nnew=v\r\n[t]\r\nx=y\r\n"},
        {kMixed, "n", "k", "v",
         "[s]\r\na=1\r\nb=\r\nc=\"\"\r\nnoequals\r\n; comment\r\nd=4\r\n[t]\r\nx=y\r\n[n]\r\nk=v\r\n"},
        {"[s]\na=1\n[t]\nx=1\n[s]\nb=2\n", "S", "A", "", "[s]\r\na=\r\n[t]\r\nx=1\r\n[s]\r\nb=2\r\n"},
        {"[s]\na=1\n[t]\nx=1\n[s]\nb=2\n", "s", "b", "2", "[s]\r\na=1\r\nb=2\r\n[t]\r\nx=1\r\n[s]\r\nb=2\r\n"},
        {"[s]\na=1\nb=2", "s", "a", "", "[s]\r\na=\r\nb=2\r\n"},
        {"top=1\n[ s ]\na=1\n[s\nb=2\n[s]x\nc=3\n", "s", "a", "", "top=1\r\n[s]\r\na=\r\n[s\r\nb=2\r\n[s]\r\nc=3\r\n"},
        // A key written twice in one section: only its first entry is reached.
        {"[s]\nk=1\nk=2\n", "s", "K", "", "[s]\r\nk=\r\nk=2\r\n"},
        // A section with no entries stays when another one is written.
        {"[e]\n[s]\na=1\n", "s", "a", "", "[e]\r\n[s]\r\na=\r\n"},
        // Nothing changes: the file is left exactly as it was.
        {"[s]\na=1\nb=2", "s", "b", "2", "[s]\na=1\nb=2"},
    };
    for (const Case& c : cases) {
        std::string file = this->NewFile(c.before);
        EXPECT_TRUE(this->api.WriteString(c.section, c.key, c.value, file)) << c.before;
        EXPECT_EQ(testing::ScratchFolder::ReadPath(testing::U8Path(file)), c.after) << c.before;
    }

    std::string created = this->dir.Path("created.ini");
    EXPECT_TRUE(this->api.WriteString("s", "a", "", created));
    EXPECT_EQ(this->dir.Read("created.ini"), "[s]\r\na=\r\n");
    EXPECT_FALSE(this->api.WriteString("s", "a", "1", this->dir.Path("no/folder/x.ini")));
}

}  // namespace
}  // namespace lumo
