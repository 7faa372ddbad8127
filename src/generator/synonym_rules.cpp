#include "generator/synonym_rules.h"

#include <mutex>
#include <string_view>
#include <unordered_map>

#include "store/resource_store.h"

namespace wordloom {

bool WholeCharacters(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) i += static_cast<unsigned char>(bytes[i]) >= 0x80 ? 2 : 1;
  return i == bytes.size();
}

SynonymSet::SynonymSet(std::vector<SynonymRule> rules) : rules_(std::move(rules)) {
  keepsCharacters_.reserve(rules_.size());
  for (const SynonymRule& rule : rules_) {
    keepsCharacters_.push_back(WholeCharacters(rule.find) && WholeCharacters(rule.replacement));
  }
  std::unordered_map<std::string_view, std::uint32_t> patternOf;
  std::vector<std::string_view> patterns;
  std::vector<std::uint32_t>& patternOfRule = patternOfRule_;
  patternOfRule.reserve(rules_.size());
  for (const SynonymRule& rule : rules_) {
    auto [it, added] =
        patternOf.try_emplace(rule.find, static_cast<std::uint32_t>(patterns.size()));
    if (added) patterns.push_back(rule.find);
    patternOfRule.push_back(it->second);
  }
  finds_ = PatternTable(patterns);
  // The rules grouped by pattern, each group in rule order.
  ruleBegin_.assign(patterns.size() + 1, 0);
  for (std::uint32_t pattern : patternOfRule) ++ruleBegin_[pattern + 1];
  for (std::size_t p = 0; p < patterns.size(); ++p) ruleBegin_[p + 1] += ruleBegin_[p];
  ruleIds_.resize(rules_.size());
  std::vector<std::uint32_t> filled(ruleBegin_.begin(), ruleBegin_.end() - 1);
  for (std::uint32_t rule = 0; rule < patternOfRule.size(); ++rule) {
    ruleIds_[filled[patternOfRule[rule]]++] = rule;
  }
}

void AppendRules(const LineIndex& lines, std::vector<SynonymRule>& rules) {
  for (std::size_t i = 0; i < lines.Count(); ++i) {
    TextArray pieces = SplitText(lines.Line(i), "=>");
    if (pieces.size() < 2 || pieces[0].empty()) continue;
    rules.push_back({std::move(pieces[0]), std::move(pieces[1])});
  }
}

std::shared_ptr<const SynonymSet> CurrentSynonyms() {
  struct Built {
    std::shared_ptr<const SynonymSet> rules;
    Text path;                                  // of the folder
    std::shared_ptr<const FolderLines> folder;  // the files it was cut from
  };
  static std::mutex mutex;
  static Built* built = new Built;  // used by worker threads until the very end
  const Text path = ResourceStore::SynonymFolder();
  {
    // While nothing changed, as between most articles, without looking the folder up.
    std::lock_guard lock(mutex);
    if (built->rules && built->path == path && built->folder->Current()) return built->rules;
  }

  std::shared_ptr<const FolderLines> folder = DrawCache::Instance().Folder(path);
  std::lock_guard lock(mutex);
  built->path = path;
  if (built->rules && built->folder != folder) {
    // Read again (after some change somewhere), the files may still hold the same rules.
    const auto& before = built->folder->files;
    bool same = before.size() == folder->files.size();
    for (std::size_t i = 0; same && i < before.size(); ++i) {
      same = before[i] == folder->files[i] || before[i]->content == folder->files[i]->content;
    }
    if (!same) built->rules.reset();
    built->folder = folder;
  }
  if (!built->rules) {
    std::vector<SynonymRule> rules;
    for (const auto& lines : folder->files) AppendRules(*lines, rules);
    built->rules = std::make_shared<const SynonymSet>(std::move(rules));
    built->folder = std::move(folder);
  }
  return built->rules;
}

}  // namespace wordloom
