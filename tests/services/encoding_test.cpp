#include "services/encoding.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <random>

namespace wordloom {
namespace {

TEST(ContentCodec, EveryOneAndTwoByteSequenceSurvivesTheRoundTrip) {
  for (int a = 0; a < 256; ++a) {
    Text one(1, static_cast<char>(a));
    ASSERT_EQ(EncodeGbk(DecodeGbk(one)).bytes, one) << a;
    for (int b = 0; b < 256; ++b) {
      Text two{static_cast<char>(a), static_cast<char>(b)};
      GbkEncoding back = EncodeGbk(DecodeGbk(two));
      ASSERT_TRUE(back.ok);
      ASSERT_EQ(back.bytes, two) << a << "," << b;
    }
  }
}

TEST(ContentCodec, KnownCharactersAndEscapes) {
  EXPECT_EQ(DecodeGbk("\xD6\xD0"), u"中");
  EXPECT_EQ(DecodeGbk("\xD5\x5D"), u"誡");
  EXPECT_EQ(DecodeGbk("\x80"), u"€");
  EXPECT_EQ(EncodeGbk(u"中文").bytes, "\xD6\xD0\xCE\xC4");
  // A lead byte without a valid second byte is carried as U+DC00 + byte.
  EXPECT_EQ(DecodeGbk("\xFF"
                      "a"),
            std::u16string(u"\xDCFF") + u"a");
  EXPECT_EQ(DecodeGbk("\x81\r"), std::u16string(u"\xDC81") + u"\r");
}

TEST(ContentCodec, RefusesCharactersGbkCannotHold) {
  GbkEncoding e = EncodeGbk(u"ab\U0001F600c");
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.badIndex, 2u);
  EXPECT_TRUE(e.bytes.empty());
}

// The fast scans of the store check say what the codecs say.
TEST(ContentCodec, FirstUndecodableByteIsWhereTheDecoderEscapes) {
  // Walks the decoder's output: an escape stands for one byte, a character for its bytes.
  auto firstEscape = [](std::string_view text) {
    std::size_t i = 0;
    for (char16_t c : DecodeGbk(text)) {
      if (c >= 0xDC80 && c <= 0xDCFF) return i;
      i += static_cast<unsigned char>(text[i]) <= 0x80 ? 1 : 2;
    }
    return std::string_view::npos;
  };
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const Text two{static_cast<char>(a), static_cast<char>(b), 'x'};
      ASSERT_EQ(FirstUndecodableByte(two), firstEscape(two)) << a << "," << b;
    }
  }
  EXPECT_EQ(FirstUndecodableByte("\xD6\xD0\xFF"), 2u);
  EXPECT_EQ(FirstUndecodableByte("ab\xD6"), 2u);  // a lead byte at the very end
  EXPECT_EQ(FirstUndecodableByte("\xD6\xD0\x80"), std::string_view::npos);
}

TEST(ContentCodec, ReadableUtf8ReplacesWhatDoesNotDecode) {
  EXPECT_EQ(ContentToReadableUtf8("\xD6\xD0\xFF!"), "中\uFFFD!");
  EXPECT_EQ(NameToReadableUtf8(FileSystemToText("a\xFF\xC3")), "a\uFFFD\uFFFD");
  EXPECT_EQ(NameToReadableUtf8(FileSystemToText("名字")), "名字");
}

TEST(Utf8Check, AcceptsOnlyShortestFormsWithoutSurrogates) {
  for (std::string_view valid : {"", "ascii", "中文", "\xF0\x9F\x98\x80",
                                 "\xEF\xBB\xBF"
                                 "bom"}) {
    EXPECT_TRUE(IsValidUtf8(valid)) << valid;
  }
  for (std::string_view invalid : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                   "\xE4\xB8", "\x80", "\xD6\xD0"}) {
    EXPECT_FALSE(IsValidUtf8(invalid)) << invalid;
  }
}

TEST(NameCodec, CharactersBeyondGbkTravelAsGb18030FourByteSequences) {
  std::u16string name = u"caf\u00F6\U0001F600";  // ö and 😀 are not in code page 936
  Text text = EncodeName(name);
  EXPECT_EQ(DecodeName(text), name);
  // The four-byte codes are the standard ones.
  iconv_t cd = iconv_open("GB18030", "UTF-8");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string in = "caf\xC3\xB6\xF0\x9F\x98\x80";
  char out[32];
  char* inPtr = in.data();
  char* outPtr = out;
  std::size_t inLeft = in.size(), outLeft = sizeof out;
  ASSERT_NE(iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft), static_cast<std::size_t>(-1));
  iconv_close(cd);
  EXPECT_EQ(text, std::string(out, outPtr));
}

TEST(NameCodec, FileSystemNamesComeBackByteForByte) {
  // Valid UTF-8, names GBK cannot hold, and bytes that are not UTF-8 at all.
  const std::string names[] = {"plain.txt",
                               "\xE6\x96\xB0\xE9\x97\xBB.txt",
                               "\xF0\x9F\x98\x80.txt",
                               "\x81"
                               "A.txt",
                               "\xFF\xFE",
                               "\xED\xA0\x80",
                               "\xC0\xAF",
                               "\xE8\xAA\xA0"};
  for (const std::string& name : names) {
    EXPECT_EQ(TextToFileSystem(FileSystemToText(name)), name);
  }
  std::mt19937 rng(5);
  for (int round = 0; round < 5000; ++round) {
    std::string name(rng() % 12, ' ');
    for (char& c : name) c = static_cast<char>(rng() % 256);
    ASSERT_EQ(TextToFileSystem(FileSystemToText(name)), name) << round;
  }
}

TEST(NameCodec, TypedGbkNamesBecomeTheirUtf8Names) {
  EXPECT_EQ(TextToFileSystem("\xD0\xC2\xCE\xC5"), "\xE6\x96\xB0\xE9\x97\xBB");  // 新闻
  EXPECT_EQ(FileSystemToText("\xE6\x96\xB0\xE9\x97\xBB"), "\xD0\xC2\xCE\xC5");
  EXPECT_EQ(Utf8ToText("标签"), "\xB1\xEA\xC7\xA9");
}

}  // namespace
}  // namespace wordloom
