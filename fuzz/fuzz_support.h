// What the fuzz targets share: the libFuzzer entry point, cutting an input into small numbers
// and byte pieces, and stopping the run when a property does not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace wordloom::fuzz {

// Larger inputs find nothing that smaller ones miss and only slow every run down.
inline constexpr std::size_t kMaxInputSize = 4096;

// Pieces are separated by 0xFF. No GBK character uses that byte and the scanners treat it as
// any other byte of 0x80 and above, so keeping it out of the pieces loses nothing, and seed
// files stay easy to write.
inline constexpr char kSeparator = '\xFF';

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  bool Empty() const { return rest_.empty(); }

  // The next byte; 0 once the input is used up.
  std::uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }

  // The bytes up to the next separator (which is dropped), or up to the end.
  std::string_view Piece() {
    const std::size_t cut = rest_.find(kSeparator);
    const std::string_view piece = rest_.substr(0, cut);
    rest_.remove_prefix(cut == std::string_view::npos ? rest_.size() : cut + 1);
    return piece;
  }

 private:
  std::string_view rest_;
};

// Aborts, so that the fuzzer keeps the input and the replay test fails.
inline void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace wordloom::fuzz
