#include "shared/CodePage.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <iconv.h>
#include <random>
#include <string>

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) {
        s.push_back(static_cast<char>(v));
    }
    return s;
}

bool roundTrips(const std::string& b) {
    return encodeCp932Exact(decodeCp932Exact(b)) == b;
}

} // namespace

TEST(decodeCp932Exact, ReadsJapaneseAsTheSystemConverterDoes) {
    const std::string sjis = utf8ToCp932("データファイル名 日時 不足数 ﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(decodeCp932Exact(sjis), u"データファイル名 日時 不足数 ﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(decodeCp932Exact("NoFile,2004/08/12 03:10"), u"NoFile,2004/08/12 03:10");
    EXPECT_EQ(decodeCp932Exact(bytes({0xA1, 0xDF})), u"\uFF61\uFF9F");
}

TEST(decodeCp932Exact, EscapesBytesWithoutAnExactCharacter) {
    // A lead byte at the end, a lead byte before a byte that cannot trail, and
    // single bytes that code page 932 leaves unassigned.
    EXPECT_EQ(decodeCp932Exact(bytes({'a', 0x82})), u"a\uF782");
    EXPECT_EQ(decodeCp932Exact(bytes({0x82, ' ', 0x82, 0xA0})), u"\uF782 \u3042");
    EXPECT_EQ(decodeCp932Exact(bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF})),
              u"\uF780\uF7A0\uF7FD\uF7FE\uF7FF");
    // The NEC row-13 copy of "≒" (0x8790) encodes back as the JIS code 0x81E0,
    // so only the latter may decode to the character.
    EXPECT_EQ(decodeCp932Exact(bytes({0x81, 0xE0})), u"\u2252");
    EXPECT_EQ(decodeCp932Exact(bytes({0x87, 0x90})), u"\uF787\uF790");
}

TEST(encodeCp932Exact, GivesBackEveryByteString) {
    for (int b = 0; b < 256; ++b) {
        ASSERT_TRUE(roundTrips(bytes({b}))) << b;
    }
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            ASSERT_TRUE(roundTrips(bytes({lead, trail}))) << lead << ' ' << trail;
            ASSERT_TRUE(roundTrips(bytes({lead, trail, lead}))) << lead << ' ' << trail;
        }
    }
    std::mt19937 random(932);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string noise(200000, '\0');
    for (char& c : noise) {
        c = static_cast<char>(byte(random));
    }
    EXPECT_TRUE(roundTrips(noise));
}

TEST(encodeCp932Exact, ReplacesCharactersOutsideTheCodePage) {
    EXPECT_EQ(encodeCp932Exact(u"a\u00E9b"), "a?b");
    EXPECT_EQ(encodeCp932Exact(u"x\U0001F600y"), "x?y"); // one mark for a surrogate pair
    const char16_t lone[] = {0xD800, u'z'};
    EXPECT_EQ(encodeCp932Exact(std::u16string_view(lone, 2)), "?z"); // a lone surrogate
    EXPECT_EQ(encodeCp932Exact(u"日時"), utf8ToCp932("日時"));       // typed text
}

TEST(encodeCp932Exact, EscapeBlockIsNeverASystemDecoding) {
    // If the system's converter ever produced the escape block, an escaped byte
    // and a real character could not be told apart.
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int decoded = 0;
    for (int lead = 0x80; lead < 256; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char out[8];
            char* inPtr = in;
            size_t inLeft = 2;
            char* outPtr = out;
            size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
                continue;
            }
            for (char* p = out; p + 1 < outPtr; p += 2) {
                const unsigned unit =
                    static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8;
                ASSERT_FALSE(unit >= kCp932EscapeBase && unit <= kCp932EscapeBase + 0xFF)
                    << lead << ' ' << trail;
            }
            ++decoded;
        }
    }
    iconv_close(cd);
    EXPECT_GT(decoded, 7000);
}

namespace {

// A system whose iconv has no CP932 module.
void* openWithoutCp932(const char* to, const char* from) {
    if (std::string_view(to) == "CP932" || std::string_view(from) == "CP932") {
        errno = EINVAL;
        return reinterpret_cast<void*>(-1);
    }
    return openSystemConverter(to, from);
}

} // namespace

TEST(MissingCp932Converter, ConversionFailsInsteadOfGuessing) {
    for (bool toCp932 : {true, false}) {
        try {
            if (toCp932) {
                utf8ToCp932("日時", openWithoutCp932);
            } else {
                cp932ToUtf8("\x93\xfa", openWithoutCp932);
            }
            ADD_FAILURE() << "no MissingCp932Converter";
        } catch (const MissingCp932Converter& e) {
            const std::string message = e.what();
            for (const char* part : {"CP932", "converter is missing", "gconv", "libc6"}) {
                EXPECT_NE(message.find(part), std::string::npos) << message;
            }
        }
    }
    EXPECT_EQ(utf8ToCp932("日時", openSystemConverter), "\x93\xfa\x8e\x9e");
}
