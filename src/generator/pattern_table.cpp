#include "generator/pattern_table.h"

#include <algorithm>
#include <unordered_map>

namespace wordloom {

PatternTable::PatternTable(const std::vector<std::string_view>& patterns) {
  offsets_.reserve(patterns.size() + 1);
  offsets_.push_back(0);
  std::size_t total = 0;
  for (std::string_view pattern : patterns) total += pattern.size();
  bytes_.reserve(total);
  std::vector<bool> lengthSeen(kKeyBytes + 1, false);
  std::size_t keys = 0;  // short patterns, and groups of long ones
  std::unordered_map<std::uint64_t, std::uint32_t> groupOf;
  std::vector<std::vector<std::uint32_t>> groups;
  for (std::size_t id = 0; id < patterns.size(); ++id) {
    const std::string_view pattern = patterns[id];
    bytes_.append(pattern);
    offsets_.push_back(static_cast<std::uint32_t>(bytes_.size()));
    maxLength_ = std::max(maxLength_, pattern.size());
    const unsigned first = static_cast<unsigned char>(pattern[0]);
    if (pattern.size() == 1) {
      for (unsigned pair = first << 8; pair < (first + 1) << 8; pair += 64)
        starts_[pair >> 6] = ~std::uint64_t{0};
    } else {
      const unsigned pair = first << 8 | static_cast<unsigned char>(pattern[1]);
      starts_[pair >> 6] |= std::uint64_t{1} << (pair & 63);
    }
    if (pattern.size() <= kKeyBytes) {
      lengthSeen[pattern.size()] = true;
      ++keys;
      continue;
    }
    const std::uint64_t key =
        Load(reinterpret_cast<const unsigned char*>(pattern.data()), kKeyBytes);
    auto [it, added] = groupOf.try_emplace(key, static_cast<std::uint32_t>(groups.size()));
    if (added) {
      groups.emplace_back();
      ++keys;
    }
    groups[it->second].push_back(static_cast<std::uint32_t>(id));
  }
  for (unsigned length = 1; length <= kKeyBytes; ++length) {
    if (lengthSeen[length]) shortLengths_.push_back(length);
  }

  std::size_t capacity = 16;
  while (capacity < 2 * keys) capacity *= 2;
  slots_.assign(capacity, Slot{0, kNone, 0});
  shift_ = 64 - static_cast<unsigned>(std::countr_zero(capacity));
  std::size_t blocks = 2;
  while (blocks * 512 < 16 * keys) blocks *= 2;
  blocks_.assign(blocks, Block{});
  blockShift_ = 64 - static_cast<unsigned>(std::countr_zero(blocks));
  for (std::size_t id = 0; id < patterns.size(); ++id) {
    const std::string_view pattern = patterns[id];
    if (pattern.size() > kKeyBytes) continue;
    const auto length = static_cast<unsigned>(pattern.size());
    Slot* slot =
        Place(Load(reinterpret_cast<const unsigned char*>(pattern.data()), length) & Mask(length),
              length);
    slot->value = static_cast<std::uint32_t>(id);
  }
  chainBegin_.push_back(0);
  for (auto& [key, group] : groupOf) {
    std::vector<std::uint32_t>& ids = groups[group];
    std::stable_sort(ids.begin(), ids.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return Length(a) < Length(b); });
    Place(key, 0)->value = static_cast<std::uint32_t>(chainBegin_.size() - 1);
    chains_.insert(chains_.end(), ids.begin(), ids.end());
    chainBegin_.push_back(static_cast<std::uint32_t>(chains_.size()));
  }
}

PatternTable::Slot* PatternTable::Place(std::uint64_t key, unsigned length) {
  const std::uint64_t hash = Hash(key, length);
  const std::uint64_t block = length > 0 && length < kBlockPrefix
                                  ? BlockOf(hash)
                                  : BlockOf(Hash(key & Mask(kBlockPrefix), kBlockPrefix));
  const unsigned bit = Block::BitOf(hash);
  blocks_[block].bits[bit >> 6] |= std::uint64_t{1} << (bit & 63);
  std::size_t i = hash >> shift_;
  while (slots_[i].value != kNone) i = (i + 1) & (slots_.size() - 1);
  slots_[i].key = key;
  slots_[i].length = length;
  return &slots_[i];
}

std::size_t PatternTable::MemoryBytes() const {
  return sizeof(*this) + bytes_.capacity() +
         4 * (offsets_.capacity() + chainBegin_.capacity() + chains_.capacity()) +
         sizeof(unsigned) * shortLengths_.capacity() + sizeof(Slot) * slots_.capacity() +
         sizeof(Block) * blocks_.capacity();
}

}  // namespace wordloom
