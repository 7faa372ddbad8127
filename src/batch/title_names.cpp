#include "batch/title_names.h"

#include <algorithm>
#include <array>
#include <utility>

#include "services/encoding.h"

namespace wordloom::batch {
namespace {

bool IsSpace(char16_t c) {
  return c == u' ' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
         c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0x85 ||
         (c >= 0x09 && c <= 0x0D);
}

bool IsUnsafe(char16_t c) {
  return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == u'/' || c == u'\\' || c == u':' ||
         c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' || c == u'|';
}

bool IsByteEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

// "<" and ">" are below 0x40, so they never occur inside a GBK character: the markup can be
// cut out byte by byte. Each tag becomes a space, so words on either side stay apart.
std::string WithoutMarkup(std::string_view line) {
  std::string text;
  for (std::size_t i = 0; i < line.size();) {
    if (line[i] == '<') {
      const std::size_t close = line.find('>', i + 1);
      if (close != std::string_view::npos) {
        text.push_back(' ');
        i = close + 1;
        continue;
      }
    }
    if (line[i] == '&') {
      static constexpr std::array<std::pair<std::string_view, char>, 7> kEntities = {{
          {"&nbsp;", ' '},
          {"&amp;", '&'},
          {"&lt;", '<'},
          {"&gt;", '>'},
          {"&quot;", '"'},
          {"&#39;", '\''},
          {"&apos;", '\''},
      }};
      const auto entity = std::find_if(kEntities.begin(), kEntities.end(), [&](const auto& e) {
        return line.substr(i, e.first.size()) == e.first;
      });
      if (entity != kEntities.end()) {
        text.push_back(entity->second);
        i += entity->first.size();
        continue;
      }
    }
    // A lead byte and its second byte move together (the second may be "&").
    const bool pair = static_cast<unsigned char>(line[i]) >= 0x80 && i + 1 < line.size();
    text.append(line.substr(i, pair ? 2 : 1));
    i += pair ? 2 : 1;
  }
  return text;
}

std::u16string Cleaned(std::string_view gbkLine) {
  std::u16string out;
  for (char16_t c : DecodeGbk(WithoutMarkup(gbkLine))) {
    if (IsByteEscape(c)) continue;
    if (IsSpace(c)) {
      if (!out.empty() && out.back() != u' ') out.push_back(u' ');
      continue;
    }
    out.push_back(IsUnsafe(c) ? u'_' : c);
  }
  const auto trim = [](std::u16string& s) {
    while (!s.empty() && (s.back() == u' ' || s.back() == u'.')) s.pop_back();
    std::size_t lead = 0;
    while (lead < s.size() && (s[lead] == u' ' || s[lead] == u'.')) ++lead;
    s.erase(0, lead);
  };
  trim(out);
  if (out.size() > kTitleChars) {
    out.resize(kTitleChars);
    trim(out);
  }
  return out;
}

}  // namespace

std::string TitleName(std::string_view gbkArticle) {
  for (std::size_t start = 0; start <= gbkArticle.size();) {
    std::size_t end = gbkArticle.find('\n', start);
    if (end == std::string_view::npos) end = gbkArticle.size();
    const std::u16string title = Cleaned(gbkArticle.substr(start, end - start));
    if (!title.empty()) return TextToFileSystem(EncodeName(title));
    start = end + 1;
  }
  return {};
}

}  // namespace wordloom::batch
