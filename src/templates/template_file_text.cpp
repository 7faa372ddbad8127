#include "templates/template_file_text.h"

#include <QList>

#include <algorithm>

#include "services/ui.h"

namespace wordloom {
namespace {

const Text kNewBreak = "\r\n";

// Cuts the text at CR LF, lone CR and lone LF. CR and LF are below 0x40, so they never sit
// inside a two-byte character and a plain byte scan finds them.
QString SplitAtBreaks(const Text& text, std::vector<Text>* breaks) {
  QString shown;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    const std::size_t length =
        (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    shown += ui::Display(text.substr(start, i - start));
    shown += QLatin1Char('\n');
    if (breaks != nullptr) breaks->push_back(text.substr(i, length));
    i += length - 1;
    start = i + 1;
  }
  shown += ui::Display(text.substr(start));
  return shown;
}

}  // namespace

QString TemplateFileText::Load(const ByteArray& bytes) {
  const Text text = ToText(bytes);
  tail_ = bytes.substr(text.size());
  breaks_.clear();
  return SplitAtBreaks(text, &breaks_);
}

QString TemplateFileText::Shown(const Text& text) { return SplitAtBreaks(text, nullptr); }

void TemplateFileText::Edited(const QString& before, const QString& after, int position) {
  const qsizetype shorter = std::min(before.size(), after.size());
  qsizetype prefix = 0;
  while (prefix < shorter && prefix < position && before[prefix] == after[prefix]) ++prefix;
  qsizetype suffix = 0;
  while (suffix < shorter - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  const auto breaksIn = [](const QString& s, qsizetype from, qsizetype length) {
    return static_cast<std::size_t>(QStringView(s).mid(from, length).count(QLatin1Char('\n')));
  };
  const std::size_t first = std::min(breaksIn(before, 0, prefix), breaks_.size());
  const std::size_t removed =
      std::min(breaksIn(before, prefix, before.size() - prefix - suffix), breaks_.size() - first);
  const std::size_t added = breaksIn(after, prefix, after.size() - prefix - suffix);
  const auto at = breaks_.begin() + static_cast<std::ptrdiff_t>(first);
  breaks_.insert(breaks_.erase(at, at + static_cast<std::ptrdiff_t>(removed)), added, kNewBreak);
}

std::optional<ByteArray> TemplateFileText::Save(const QString& shown) const {
  ByteArray bytes;
  std::size_t index = 0;
  for (QStringView line : QStringView(shown).split(QLatin1Char('\n'))) {
    if (index > 0) bytes += index - 1 < breaks_.size() ? breaks_[index - 1] : kNewBreak;
    std::optional<Text> encoded = ui::ContentFromDisplay(line.toString());
    if (!encoded) return std::nullopt;
    bytes += *encoded;
    ++index;
  }
  return bytes + tail_;
}

}  // namespace wordloom
