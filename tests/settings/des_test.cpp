#include "settings/des.h"

#include <gtest/gtest.h>

#include <random>

#include "settings/openssl_des.h"

namespace vantrel {
namespace {

using testing::OpensslEcb;
using testing::ReferenceFrame;
using testing::ReferenceKey;

std::string RandomBytes(std::mt19937& rng, std::size_t n) {
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

DesKey RandomKey(std::mt19937& rng) {
    DesKey key;
    for (auto& b : key)
        b = static_cast<std::uint8_t>(rng());
    return key;
}

std::uint64_t Block(std::string_view bytes) {
    std::uint64_t v = 0;
    for (char c : bytes)
        v = (v << 8) | static_cast<unsigned char>(c);
    return v;
}

TEST(DesCipher, PublishedVector) {
    DesCipher cipher({0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1});
    EXPECT_EQ(cipher.EncryptBlock(0x0123456789ABCDEF), 0x85E813540F0AB405u);
    EXPECT_EQ(cipher.DecryptBlock(0x85E813540F0AB405), 0x0123456789ABCDEFu);
}

TEST(DesCipher, MatchesOpensslOnRandomKeysAndBlocks) {
    std::mt19937 rng(46);
    for (int i = 0; i < 300; ++i) {
        DesKey key = RandomKey(rng);
        std::string plain = RandomBytes(rng, 8);
        DesCipher cipher(key);
        std::string expected = OpensslEcb(plain, key, true);
        ASSERT_EQ(cipher.EncryptBlock(Block(plain)), Block(expected)) << "case " << i;
        ASSERT_EQ(cipher.DecryptBlock(Block(expected)), Block(plain)) << "case " << i;
    }
}

TEST(StoreKey, FoldsTheKeyTextAndReversesEachByte) {
    EXPECT_EQ(StoreKey(FILE_KEY), ReferenceKey(FILE_KEY));
    // A short key text stays as it is, padded with zero bytes.
    EXPECT_EQ(FoldKeyText("abc"), (DesKey{'a', 'b', 'c', 0, 0, 0, 0, 0}));
}

TEST(EncryptBytes, EqualsOpensslOnTheFrameWithTheReversedKey) {
    std::mt19937 rng(7);
    for (std::size_t n : {1u, 3u, 4u, 5u, 11u, 12u, 13u, 100u, 1000u}) {
        std::string payload = RandomBytes(rng, n);
        std::string ours = EncryptBytes(payload, FILE_KEY);
        EXPECT_EQ(ours, OpensslEcb(ReferenceFrame(payload), ReferenceKey(FILE_KEY), true))
            << n << " bytes";
        // Without the bit reversal the key is a different one.
        EXPECT_NE(ours, OpensslEcb(ReferenceFrame(payload), FoldKeyText(FILE_KEY), true));
        EXPECT_EQ(DecryptBytes(ours, FILE_KEY), payload);
    }
}

TEST(EncryptBytes, FrameSizes) {
    EXPECT_EQ(EncryptBytes("", FILE_KEY), "");
    EXPECT_EQ(EncryptBytes("abcd", FILE_KEY).size(), 8u);
    EXPECT_EQ(EncryptBytes("abcde", FILE_KEY).size(), 16u);
    EXPECT_EQ(EncryptBytes(std::string(12, 'x'), FILE_KEY).size(), 16u);
    EXPECT_EQ(EncryptBytes(std::string(13, 'x'), FILE_KEY).size(), 24u);
}

TEST(EncryptBytes, KeyTextsThatFoldAlikeEncryptAlike) {
    // "AB" and "AB\0\0\0\0\0\0\0\0" fold the same; "12345678" + "12345678" folds to zeros.
    EXPECT_EQ(EncryptBytes("payload", "AB"),
              EncryptBytes("payload", std::string("AB\0\0\0\0\0\0\0\0", 10)));
    EXPECT_EQ(EncryptBytes("payload", "1234567812345678"), EncryptBytes("payload", ""));
    EXPECT_NE(EncryptBytes("payload", "AB"), EncryptBytes("payload", "BA"));
}

// Frames made by OpenSSL with a length field that does not fit the data.
std::string ForgedFile(std::string_view payload, std::int32_t length) {
    return OpensslEcb(ReferenceFrame(payload, length), ReferenceKey(FILE_KEY), true);
}

TEST(DecryptBytes, RejectsEveryFrameThatDoesNotFit) {
    EXPECT_EQ(DecryptBytes("", FILE_KEY), "");
    std::string good = EncryptBytes("hello, world", FILE_KEY);  // 16 bytes
    EXPECT_EQ(DecryptBytes(good.substr(0, 15), FILE_KEY), "");
    EXPECT_EQ(DecryptBytes(good.substr(0, 8), FILE_KEY), "");  // length says 12 of 4
    EXPECT_EQ(DecryptBytes(good + "x", FILE_KEY), "");
    EXPECT_EQ(DecryptBytes(good, "another key"), "");

    std::string twelve(12, 'p');  // frames of 16 bytes: valid lengths are 5..12
    EXPECT_EQ(DecryptBytes(ForgedFile(twelve, 13), FILE_KEY), "");
    EXPECT_EQ(DecryptBytes(ForgedFile(twelve, 4), FILE_KEY), "");
    EXPECT_EQ(DecryptBytes(ForgedFile(twelve, 0), FILE_KEY), "");
    EXPECT_EQ(DecryptBytes(ForgedFile(twelve, -1), FILE_KEY), "");
    EXPECT_EQ(DecryptBytes(ForgedFile(twelve, INT32_MIN), FILE_KEY), "");
    EXPECT_EQ(DecryptBytes(ForgedFile(twelve, INT32_MAX), FILE_KEY), "");
    // The bounds themselves are accepted, and the padding is not examined.
    EXPECT_EQ(DecryptBytes(ForgedFile(twelve, 12), FILE_KEY), twelve);
    EXPECT_EQ(DecryptBytes(ForgedFile(twelve, 5), FILE_KEY), "ppppp");
    EXPECT_EQ(DecryptBytes(ForgedFile("abc", 4), FILE_KEY), std::string("abc\0", 4));
}

}  // namespace
}  // namespace vantrel
