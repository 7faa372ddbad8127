// Many byte patterns looked up by the bytes at a place of a text: which patterns occur there.
// A lookup costs one probe of a hash table per distinct pattern length up to eight bytes, and
// one more for all longer patterns together (keyed by their first eight bytes), however many
// patterns there are and however alike they begin; the rules of a synonym store, thousands of
// two- and three-character words that share their first characters, are the case it is made
// for. Matches are reported wherever the bytes match; callers keep the ones their rule allows.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace wordloom {

class PatternTable {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  // Patterns up to this long are keyed by all their bytes.
  static constexpr std::size_t kKeyBytes = 8;

  PatternTable() = default;
  // The patterns must be distinct and not empty; a pattern's id is its index.
  explicit PatternTable(const std::vector<std::string_view>& patterns);

  bool Empty() const { return offsets_.size() <= 1; }
  std::size_t Length(std::uint32_t id) const { return offsets_[id + 1] - offsets_[id]; }
  std::size_t MaxLength() const { return maxLength_; }
  // Bytes held, for the memory figures of the benchmarks.
  std::size_t MemoryBytes() const;

  // A lookup in two halves, so that many can be under way at once: ProbesAt() names the
  // table entries a place may match and asks the memory for them, Complete() reads them.
  struct Probe {
    std::uint64_t key;
    std::uint64_t hash;
    std::uint32_t length;  // 0: the patterns longer than eight bytes
  };

  // Calls onProbe(probe) for each entry to look at for the patterns longer than `skipUpTo`
  // bytes that may occur at `at` in the bytes [0, size).
  template <typename OnProbe>
  void ProbesAt(const unsigned char* bytes, std::size_t size, std::size_t at, std::size_t skipUpTo,
                OnProbe&& onProbe) const {
    const std::size_t room = size - at;
    // Most places start no pattern at all when the patterns are few; a table of the two bytes
    // each pattern starts with passes over them with one look.
    const unsigned pair = room > 1 ? bytes[at] << 8 | bytes[at + 1] : bytes[at] << 8;
    if ((starts_[pair >> 6] >> (pair & 63) & 1) == 0) return;
    const std::uint64_t word = Load(bytes + at, room);
    // The bits of all patterns that start with the place's first four bytes lie in one block.
    const Block& shared = blocks_[BlockOf(Hash(word & Mask(kBlockPrefix), kBlockPrefix))];
    for (const unsigned length : shortLengths_) {
      if (length > room) return;  // the lengths ascend, and longer ones follow
      if (length <= skipUpTo) continue;
      const std::uint64_t key = word & Mask(length);
      const std::uint64_t hash = Hash(key, length);
      if (!(length < kBlockPrefix ? blocks_[BlockOf(hash)] : shared).MayHold(hash)) continue;
      __builtin_prefetch(&slots_[hash >> shift_]);
      onProbe(Probe{key, hash, length});
    }
    if (room <= kKeyBytes || maxLength_ <= kKeyBytes) return;
    const std::uint64_t hash = Hash(word, 0);
    if (!shared.MayHold(hash)) return;
    __builtin_prefetch(&slots_[hash >> shift_]);
    onProbe(Probe{word, hash, 0});
  }

  // Calls onMatch(id) for each pattern of the probe's entry that occurs at `at`, as
  // ProbesAt() described it.
  template <typename OnMatch>
  void Complete(const Probe& probe, const unsigned char* bytes, std::size_t size, std::size_t at,
                std::size_t skipUpTo, OnMatch&& onMatch) const {
    const Slot* slot = Find(probe.hash, probe.key, probe.length);
    if (slot == nullptr) return;
    if (probe.length != 0) {
      onMatch(slot->value);
      return;
    }
    for (std::uint32_t i = chainBegin_[slot->value]; i < chainBegin_[slot->value + 1]; ++i) {
      const std::uint32_t id = chains_[i];
      const std::size_t length = Length(id);
      if (length > size - at) break;  // by length within a chain
      if (length > skipUpTo &&
          std::memcmp(bytes + at + kKeyBytes, bytes_.data() + offsets_[id] + kKeyBytes,
                      length - kKeyBytes) == 0) {
        onMatch(id);
      }
    }
  }

  // Calls onMatch(id) for every pattern longer than `skipUpTo` bytes that occurs at `at` in
  // the bytes [0, size), shorter ones first.
  template <typename OnMatch>
  void MatchesAt(const unsigned char* bytes, std::size_t size, std::size_t at, std::size_t skipUpTo,
                 OnMatch&& onMatch) const {
    ProbesAt(bytes, size, at, skipUpTo,
             [&](const Probe& probe) { Complete(probe, bytes, size, at, skipUpTo, onMatch); });
  }

 private:
  struct Slot {
    std::uint64_t key;
    std::uint32_t value;  // a pattern id, or for length 0 a chain of longer patterns
    std::uint32_t length;
  };

  // Up to eight bytes as one number; missing bytes are zero.
  static std::uint64_t Load(const unsigned char* bytes, std::size_t available) {
    std::uint64_t word = 0;
    if (available >= kKeyBytes) {
      std::memcpy(&word, bytes, kKeyBytes);
      return word;
    }
    unsigned char head[kKeyBytes] = {};
    for (std::size_t i = 0; i < available; ++i) head[i] = bytes[i];
    std::memcpy(&word, head, kKeyBytes);
    return word;
  }
  // Keeps the first `length` bytes of a loaded number.
  static std::uint64_t Mask(unsigned length) {
    if (length >= kKeyBytes) return ~std::uint64_t{0};
    const std::uint64_t low = (std::uint64_t{1} << (8 * length)) - 1;
    return std::endian::native == std::endian::little ? low : ~(~std::uint64_t{0} >> (8 * length));
  }
  static std::uint64_t Hash(std::uint64_t key, unsigned length) {
    return (key ^ length) * 0x9E3779B97F4A7C15ull;
  }
  // A filter that turns away most keys that are no pattern before the slots are looked at, in
  // blocks of one cache line: a key's bit is in the block of its first four bytes (of itself
  // when shorter), so that one place's keys of every length are looked at in one line.
  static constexpr unsigned kBlockPrefix = 4;
  struct alignas(64) Block {
    std::uint64_t bits[8];
    static unsigned BitOf(std::uint64_t hash) { return static_cast<unsigned>(hash >> 20) & 511; }
    bool MayHold(std::uint64_t hash) const {
      const unsigned bit = BitOf(hash);
      return (bits[bit >> 6] >> (bit & 63) & 1) != 0;
    }
  };
  std::size_t BlockOf(std::uint64_t hash) const { return hash >> blockShift_; }

  const Slot* Find(std::uint64_t hash, std::uint64_t key, unsigned length) const {
    for (std::size_t i = hash >> shift_;; i = (i + 1) & (slots_.size() - 1)) {
      const Slot& slot = slots_[i];
      if (slot.value == kNone) return nullptr;
      if (slot.key == key && slot.length == length) return &slot;
    }
  }
  Slot* Place(std::uint64_t key, unsigned length);

  // Bit (a << 8 | b) is set when a pattern starts with the bytes a, b, or is the byte a.
  std::array<std::uint64_t, 1024> starts_{};
  std::string bytes_;                   // the patterns, one after another
  std::vector<std::uint32_t> offsets_;  // by id, one more at the end
  std::size_t maxLength_ = 0;
  std::vector<unsigned> shortLengths_;  // the lengths up to eight bytes that occur, ascending
  std::vector<Slot> slots_;             // a power of two of them, at most half in use
  unsigned shift_ = 63;
  std::vector<Block> blocks_;  // a power of two, at least two, of sixteen bits or more a key
  unsigned blockShift_ = 63;
  // The patterns longer than eight bytes, grouped by their first eight, each group by length.
  std::vector<std::uint32_t> chainBegin_;
  std::vector<std::uint32_t> chains_;
};

}  // namespace wordloom
