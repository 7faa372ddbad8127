#include "import/source_encoding.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <stdexcept>
#include <string>

#include "import/text_import.h"
#include "services/encoding.h"

namespace wordloom::import {
namespace {

// The bytes of a UTF-8 literal in another encoding, through iconv (a test's own converter).
std::string Encode(std::string_view utf8, const char* encoding) {
  iconv_t cd = iconv_open(encoding, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(encoding);
  std::string in(utf8), out(utf8.size() * 4 + 16, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size(), outLeft = out.size();
  const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1)) throw std::runtime_error("cannot encode");
  out.resize(out.size() - outLeft);
  return out;
}

std::string Decoded(std::string_view bytes) {
  const SourceEncoding encoding = DetectEncoding(bytes);
  return Utf16ToReadableUtf8(DecodeSource(bytes, encoding).text);
}

constexpr std::string_view kPoem = "春眠不觉晓，处处闻啼鸟。\n夜来风雨声，花落知多少。\n";

TEST(SourceEncoding, ByteOrderMarksComeFirst) {
  const std::string utf8 = "\xEF\xBB\xBF" + std::string(kPoem);
  EXPECT_EQ(DetectEncoding(utf8).name, "UTF-8");
  EXPECT_EQ(DetectEncoding(utf8).bomBytes, 3u);
  EXPECT_EQ(Decoded(utf8), kPoem);

  const std::string le = "\xFF\xFE" + Encode(kPoem, "UTF-16LE");
  EXPECT_EQ(DetectEncoding(le).name, "UTF-16LE");
  EXPECT_EQ(Decoded(le), kPoem);
  const std::string be = "\xFE\xFF" + Encode(kPoem, "UTF-16BE");
  EXPECT_EQ(DetectEncoding(be).name, "UTF-16BE");
  EXPECT_EQ(Decoded(be), kPoem);

  // The UTF-32 LE mark begins with the UTF-16 LE one.
  const std::string le32 = std::string("\xFF\xFE\0\0", 4) + Encode("a😀", "UTF-32LE");
  EXPECT_EQ(DetectEncoding(le32).name, "UTF-32LE");
  EXPECT_EQ(Decoded(le32), "a😀");
  const std::string be32 = std::string("\0\0\xFE\xFF", 4) + Encode("a😀", "UTF-32BE");
  EXPECT_EQ(DetectEncoding(be32).name, "UTF-32BE");
  EXPECT_EQ(Decoded(be32), "a😀");
}

TEST(SourceEncoding, ValidUtf8WithoutAMarkIsUtf8) {
  EXPECT_EQ(DetectEncoding(kPoem).name, "UTF-8");
  EXPECT_EQ(DetectEncoding(kPoem).bomBytes, 0u);
  EXPECT_EQ(Decoded(kPoem), kPoem);
  EXPECT_EQ(DetectEncoding("plain ascii\n").name, "UTF-8");
  // Overlong forms and encoded surrogates are not UTF-8.
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));
  EXPECT_FALSE(IsValidUtf8("\xE4\xB8"));
  EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));
}

TEST(SourceEncoding, GbkTextIsGbkAlsoWhenShort) {
  const std::string poem = Encode(kPoem, "GBK");
  EXPECT_EQ(DetectEncoding(poem).name, "GBK");
  EXPECT_EQ(Decoded(poem), kPoem);
  // One keyword a line: far too little for the detector, which guesses single-byte code
  // pages for these.
  for (std::string_view words :
       {"你好\n", "北京\n上海\n广州\n", "汽车\n", "减肥\n", "好的", "网站优化\nSEO\n"}) {
    const std::string gbk = Encode(words, "GBK");
    EXPECT_EQ(DetectEncoding(gbk).name, "GBK") << words;
    EXPECT_EQ(Decoded(gbk), words);
  }
}

TEST(SourceEncoding, Gb18030FourByteCharactersAreDecoded) {
  // 𠀀 and ㆐ have four-byte codes only; the rest is GBK.
  const std::string text = "春眠不觉晓𠀀，处处闻啼鸟㆐。\n夜来风雨声，花落知多少。\n";
  const std::string bytes = Encode(text, "GB18030");
  EXPECT_EQ(DetectEncoding(bytes).name, "GB18030");
  EXPECT_EQ(Decoded(bytes), text);
  const std::string shortOne = Encode("你好𠀀\n", "GB18030");
  EXPECT_EQ(DetectEncoding(shortOne).name, "GB18030");
  EXPECT_EQ(Decoded(shortOne), "你好𠀀\n");
}

TEST(SourceEncoding, LatinTextWithAccentsIsNotTakenForChinese) {
  const std::string latin = Encode("Ein schöner Tag für Bücher\n", "ISO-8859-1");
  const SourceEncoding encoding = DetectEncoding(latin);
  EXPECT_NE(encoding.name, "GBK");
  EXPECT_NE(encoding.name, "GB18030");
  EXPECT_EQ(Decoded(latin), "Ein schöner Tag für Bücher\n");
}

TEST(SourceEncoding, WhatDoesNotDecodeBecomesAReplacementAndIsCounted) {
  // A UTF-8 file by its mark with one stray byte, and a GBK text with a lead byte at the end.
  const std::string marked =
      "\xEF\xBB\xBF"
      "ab\xFF"
      "c";
  const DecodedSource utf8 = DecodeSource(marked, DetectEncoding(marked));
  EXPECT_EQ(utf8.text, u"ab\uFFFDc");
  EXPECT_EQ(utf8.undecodableBytes, 1u);
  const DecodedSource gbk = DecodeSource("\xC4\xE3\xBA", {"GBK", 0});
  EXPECT_EQ(gbk.text, u"你\uFFFD");
  EXPECT_EQ(gbk.undecodableBytes, 1u);
  // UTF-16 cut in the middle of a unit.
  const DecodedSource odd = DecodeSource(std::string("\xFF\xFE"
                                                     "a\0b",
                                                     5),
                                         {"UTF-16LE", 2});
  EXPECT_EQ(odd.text, u"a\uFFFD");
}

TEST(SourceEncoding, AnEncodingIconvDoesNotKnowIsRefusedByName) {
  const DecodedSource decoded = DecodeSource("abc", {"X-NO-SUCH-ENCODING", 0});
  EXPECT_FALSE(decoded.known);
  ImportSource source;
  source.problem = SourceProblem::kUnknownEncoding;
  source.encoding = "X-NO-SUCH-ENCODING";
  EXPECT_NE(DescribeSourceProblem(source).find("X-NO-SUCH-ENCODING"), std::string::npos);
}

}  // namespace
}  // namespace wordloom::import
