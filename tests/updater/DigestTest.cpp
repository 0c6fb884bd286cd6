#include "updater/Digest.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace patchwell;

TEST(Md5, MatchesTheRfc1321TestSuiteInUpperCase) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"},
    };
    for (const auto& [input, digest] : vectors) EXPECT_EQ(Md5Hex(input), digest) << '"' << input << '"';
}

TEST(Md5, IncrementalDigestEqualsOneShot) {
    Md5 md5;
    md5.Update("message ", 8);
    md5.Update("", 0);
    md5.Update("digest", 6);
    EXPECT_EQ(md5.FinishHex(), "F96B697D7CB7938D525A2F31AAF161D0");
    EXPECT_EQ(md5.FinishHex(), "") << "a finished digest gives nothing more";
}

TEST(Md5, FileDigestAndVerification) {
    TempDir dir;
    // Larger than one read block, with a tail.
    std::string content;
    for (int i = 0; i < 70000; ++i) content += static_cast<char>('0' + i % 43);
    const auto file = dir.Write("Setup.exe", content);
    const std::string expected = Md5Hex(content);
    EXPECT_EQ(Md5FileHex(file), expected);
    EXPECT_TRUE(FileMatchesDigest(file, expected));

    std::string lower = expected;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_NE(lower, expected);
    EXPECT_FALSE(FileMatchesDigest(file, lower)) << "a lower-case digest never matches";
    EXPECT_FALSE(FileMatchesDigest(file, ""));
    EXPECT_FALSE(Md5FileHex(dir / "missing.exe").has_value());
    EXPECT_FALSE(FileMatchesDigest(dir / "missing.exe", expected));
}

TEST(Sha256, MatchesTheStandardVectorsInUpperCase) {
    EXPECT_EQ(Sha256Hex(""), "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
    EXPECT_EQ(Sha256Hex("abc"), "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
    EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1");
    EXPECT_TRUE(SameHexDigest("ba7816bf", "BA7816BF"));
    EXPECT_FALSE(SameHexDigest("BA7816BF", "BA7816BE"));
    EXPECT_FALSE(SameHexDigest("", "")) << "an empty digest matches nothing";
}

TEST(PackageDigests, OneReadingGivesBothDigestsWhateverTheSize) {
    TempDir dir;
    constexpr size_t kBlock = 1024 * 1024;
    // Empty, short, exactly one block, one byte over, and more blocks than
    // are read ahead.
    for (const size_t size : {size_t{0}, size_t{1}, kBlock, kBlock + 1, 17 * kBlock + 3}) {
        std::string content(size, '\0');
        for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 2654435761u) >> 13);
        const auto file = dir.Write("Setup.exe", content);
        const auto digests = DigestPackage(file);
        ASSERT_TRUE(digests) << size;
        EXPECT_EQ(digests->md5, Md5Hex(content)) << size;
        EXPECT_EQ(digests->sha256, Sha256Hex(content)) << size;
    }
    EXPECT_FALSE(DigestPackage(dir / "missing.exe"));
    EXPECT_FALSE(DigestPackage(dir.Path())) << "a folder is no package";
}
