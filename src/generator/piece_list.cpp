#include "generator/piece_list.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace wordloom {
namespace {

// The order numbers of new pieces split the gap between their neighbours; past the last
// piece the gap reaches up to here.
constexpr std::uint64_t kOrderEnd = std::uint64_t{1} << 62;

// Copying and comparing the few bytes a piece or a find text usually holds, without a call
// into the library for each.
void CopyBytes(char* to, const char* from, std::size_t n) {
  if (n > 16) {
    std::memcpy(to, from, n);
  } else if (n >= 8) {
    std::uint64_t head, tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + n - 8, 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + n - 8, &tail, 8);
  } else if (n >= 4) {
    std::uint32_t head, tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + n - 4, 4);
    std::memcpy(to, &head, 4);
    std::memcpy(to + n - 4, &tail, 4);
  } else {
    for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
  }
}

bool SameBytes(const char* a, const char* b, std::size_t n) {
  if (n > 16) return std::memcmp(a, b, n) == 0;
  if (n >= 8) {
    std::uint64_t a1, a2, b1, b2;
    std::memcpy(&a1, a, 8);
    std::memcpy(&a2, a + n - 8, 8);
    std::memcpy(&b1, b, 8);
    std::memcpy(&b2, b + n - 8, 8);
    return ((a1 ^ b1) | (a2 ^ b2)) == 0;
  }
  if (n >= 4) {
    std::uint32_t a1, a2, b1, b2;
    std::memcpy(&a1, a, 4);
    std::memcpy(&a2, a + n - 4, 4);
    std::memcpy(&b1, b, 4);
    std::memcpy(&b2, b + n - 4, 4);
    return ((a1 ^ b1) | (a2 ^ b2)) == 0;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

void PieceList::Reset(std::string_view text, const std::vector<std::uint64_t>* characterStarts) {
  pieces_.clear();
  pieces_.push_back({nullptr, 0, 0, 0, kNone, 0, 0, true});
  size_ = text.size();
  trackCharacters_ = characterStarts != nullptr;
  firstPiece_ = text.size() > kLongText ? kLongPiece : kShortPiece;
  const std::size_t count = (text.size() + firstPiece_ - 1) / firstPiece_;
  pieces_.reserve(count + 1);
  const std::uint64_t step = kOrderEnd / (count + 1);
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t at = k * firstPiece_;
    const auto index = static_cast<std::uint32_t>(k + 1);
    const bool starts = trackCharacters_ && ((*characterStarts)[at / 64] >> (at % 64) & 1) != 0;
    pieces_.push_back({text.data() + at,
                       static_cast<std::uint32_t>(std::min(firstPiece_, text.size() - at)),
                       index - 1, 0, kNone, 0, step * (k + 1), starts});
    pieces_[index - 1].next = index;
  }
  pieces_[0].prev = static_cast<std::uint32_t>(count);
}

PieceList::Place PieceList::PlaceInText(std::size_t offset) const {
  // The piece sizes are powers of two: no division.
  return Place{static_cast<std::uint32_t>(1 + (offset >> std::countr_zero(firstPiece_))),
               static_cast<std::uint32_t>(offset & (firstPiece_ - 1))};
}

PieceList::Place PieceList::Start() const {
  const std::uint32_t first = pieces_[0].next;
  return first == 0 ? Place{} : Place{first, 0};
}

PieceList::Place PieceList::Resolve(Place place) const {
  if (place.piece == 0) return place;  // the end of the text stays the end
  std::uint32_t piece = place.piece;
  std::uint32_t offset = place.offset;
  while (offset >= pieces_[piece].length) {
    const Piece& p = pieces_[piece];
    if (p.forward == kNone || offset < p.forwardAt) return Place{};  // replaced
    offset -= p.forwardAt;
    piece = p.forward;
  }
  return Place{piece, offset};
}

bool PieceList::Before(Place a, Place b) const {
  if (a.piece == b.piece) return a.offset < b.offset;
  return pieces_[a.piece].order < pieces_[b.piece].order;
}

PieceList::Place PieceList::Advance(Place place, std::size_t length) const {
  std::size_t offset = place.offset + length;
  std::uint32_t piece = place.piece;
  while (offset > pieces_[piece].length && pieces_[piece].next != 0) {
    offset -= pieces_[piece].length;
    piece = pieces_[piece].next;
  }
  return Place{piece, static_cast<std::uint32_t>(offset)};
}

bool PieceList::HoldsAt(Place place, std::string_view bytes) const {
  std::uint32_t piece = place.piece;
  std::size_t offset = place.offset;
  while (!bytes.empty()) {
    if (piece == 0) return false;  // the text ends first
    const Piece& p = pieces_[piece];
    const std::size_t n = std::min<std::size_t>(bytes.size(), p.length - offset);
    if (!SameBytes(p.data + offset, bytes.data(), n)) return false;
    bytes.remove_prefix(n);
    piece = p.next;
    offset = 0;
  }
  return true;
}

bool PieceList::StartsCharacter(Place place, Place from) const {
  std::uint32_t piece = place.piece;
  std::size_t end = place.offset;
  std::size_t run = 0;  // bytes of 0x80 and above right before the place
  for (;;) {
    const Piece& p = pieces_[piece];
    const std::size_t low = piece == from.piece ? from.offset : 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(p.data);
    std::size_t k = end;
    while (k >= low + 8) {  // eight bytes at a time through double-byte text
      std::uint64_t word;
      std::memcpy(&word, bytes + k - 8, 8);
      if ((word & 0x8080808080808080u) != 0x8080808080808080u) break;
      k -= 8;
    }
    while (k > low && bytes[k - 1] >= 0x80) --k;
    run += end - k;
    if (k > low || piece == from.piece) break;  // a byte below 0x80, or the count's start
    piece = p.prev;
    if (piece == 0) break;  // the start of the text
    end = pieces_[piece].length;
  }
  return run % 2 == 0;
}

bool PieceList::StartsCharacterAfter(const char* data, std::size_t n, bool firstStarts) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  std::size_t k = n;  // the bytes of 0x80 and above right before byte n start at k
  while (k >= 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + k - 8, 8);
    if ((word & 0x8080808080808080u) != 0x8080808080808080u) break;
    k -= 8;
  }
  while (k > 0 && bytes[k - 1] >= 0x80) --k;
  const bool even = (n - k) % 2 == 0;
  return k > 0 ? even : even == firstStarts;
}

PieceList::Place PieceList::Replace(Place place, std::size_t length, std::string_view replacement) {
  size_ = size_ - length + replacement.size();
  const std::uint32_t piece = place.piece;
  if (length > 0 && place.offset + length <= pieces_[piece].length) {
    // Within one piece, as nearly all are: the piece keeps the bytes before, and forwards to
    // a new piece for those after; no piece is made for the bytes that go.
    const std::uint32_t end = place.offset + static_cast<std::uint32_t>(length);
    std::uint32_t next = pieces_[piece].next;
    if (end < pieces_[piece].length) {
      // Whole characters replaced from a character's start end at one.
      const Piece& p = pieces_[piece];
      next = InsertPieces(piece, p.data + end, p.length - end, trackCharacters_);
      Piece& cut = pieces_[piece];
      pieces_[next].forward = cut.forward;
      pieces_[next].forwardAt = cut.forward == kNone ? 0 : cut.forwardAt - end;
      cut.forward = next;
      cut.forwardAt = end;
    }
    const std::uint32_t before = place.offset > 0 ? piece : pieces_[piece].prev;
    pieces_[piece].length = place.offset;
    if (place.offset == 0) Unlink(piece);
    if (replacement.empty()) return Place{next, 0};
    return Place{InsertPieces(before, replacement.data(), replacement.size(), true), 0};
  }

  const std::uint32_t first = CutAt(place.piece, place.offset);
  const std::uint32_t before = pieces_[first].prev;
  std::uint32_t cut = first;
  for (std::size_t remaining = length; remaining > 0;) {
    std::size_t n = pieces_[cut].length;
    if (n > remaining) {
      CutAt(cut, static_cast<std::uint32_t>(remaining));
      n = remaining;
    }
    const std::uint32_t next = pieces_[cut].next;
    Unlink(cut);
    remaining -= n;
    cut = next;
  }
  if (replacement.empty()) return Place{cut, 0};
  return Place{InsertPieces(before, replacement.data(), replacement.size(), true), 0};
}

PieceList::Copied PieceList::Window(Place place, std::size_t length, std::size_t before,
                                    std::size_t after, std::string& window,
                                    std::vector<Stretch>& places) const {
  places.clear();
  // Back from the place (piece 0: the end of the text) to where the window starts.
  std::uint32_t piece = place.piece;
  std::size_t offset = place.offset;
  if (piece == 0) {
    piece = pieces_[0].prev;
    offset = pieces_[piece].length;
  }
  std::size_t back = 0;
  while (back < before && piece != 0) {
    if (offset == 0) {
      if (pieces_[piece].prev == 0) break;
      piece = pieces_[piece].prev;
      offset = pieces_[piece].length;
    }
    const std::size_t n = std::min(offset, before - back);
    offset -= n;
    back += n;
  }
  // Then forward, in text order.
  const std::size_t wanted = back + length + after;
  if (window.size() < wanted) window.resize(std::max(wanted, 2 * window.size()));
  std::size_t at = 0;
  while (at < wanted && piece != 0) {
    const Piece& p = pieces_[piece];
    const std::size_t n = std::min<std::size_t>(p.length - offset, wanted - at);
    places.push_back({at, Place{piece, static_cast<std::uint32_t>(offset)}});
    CopyBytes(window.data() + at, p.data + offset, n);
    at += n;
    piece = p.next;
    offset = 0;
  }
  return Copied{back, at};
}

std::string PieceList::Text() const {
  std::string text(size_, '\0');
  char* out = text.data();
  for (std::uint32_t piece = pieces_[0].next; piece != 0; piece = pieces_[piece].next) {
    CopyBytes(out, pieces_[piece].data, pieces_[piece].length);
    out += pieces_[piece].length;
  }
  return text;
}

std::uint32_t PieceList::CutAt(std::uint32_t piece, std::uint32_t offset) {
  if (offset == 0) return piece;
  if (offset == pieces_[piece].length) return pieces_[piece].next;
  const Piece& whole = pieces_[piece];
  const bool tailStarts =
      trackCharacters_ && StartsCharacterAfter(whole.data, offset, whole.startsCharacter);
  // No piece is longer than kLongPiece, so the rest is one piece.
  const std::uint32_t rest =
      InsertPieces(piece, whole.data + offset, whole.length - offset, tailStarts);
  Piece& cut = pieces_[piece];
  Piece& tail = pieces_[rest];
  tail.forward = cut.forward;
  tail.forwardAt = cut.forward == kNone ? 0 : cut.forwardAt - offset;
  cut.forward = rest;
  cut.forwardAt = offset;
  cut.length = offset;
  return rest;
}

std::uint32_t PieceList::InsertPieces(std::uint32_t after, const char* data, std::size_t length,
                                      bool startsCharacter) {
  const std::uint32_t next = pieces_[after].next;
  const std::size_t count = (length + kLongPiece - 1) / kLongPiece;
  auto gap = [&] { return (next == 0 ? kOrderEnd : pieces_[next].order) - pieces_[after].order; };
  if (gap() <= count) Renumber();
  // Spread evenly over the gap, which leaves room for as many replacements at any of them.
  const std::uint64_t step = count == 1 ? gap() / 2 : gap() / (count + 1);
  std::uint64_t order = pieces_[after].order;
  const auto first = static_cast<std::uint32_t>(pieces_.size());
  std::uint32_t prev = after;
  for (std::size_t at = 0; at < length; at += kLongPiece) {
    const auto n = static_cast<std::uint32_t>(std::min(kLongPiece, length - at));
    const auto index = static_cast<std::uint32_t>(pieces_.size());
    order += step;
    pieces_.push_back({data + at, n, prev, next, kNone, 0, order, startsCharacter});
    pieces_[prev].next = index;
    if (trackCharacters_ && at + n < length) {
      startsCharacter = StartsCharacterAfter(data + at, n, startsCharacter);
    }
    prev = index;
  }
  pieces_[next].prev = prev;
  return first;
}

void PieceList::Unlink(std::uint32_t piece) {
  Piece& p = pieces_[piece];
  pieces_[p.prev].next = p.next;
  pieces_[p.next].prev = p.prev;
  p.length = 0;  // its bytes are gone; later ones stay reachable through `forward`
}

void PieceList::Renumber() {
  std::uint64_t count = 0;
  for (std::uint32_t piece = pieces_[0].next; piece != 0; piece = pieces_[piece].next) ++count;
  const std::uint64_t step = kOrderEnd / (count + 2);
  std::uint64_t order = 0;
  for (std::uint32_t piece = pieces_[0].next; piece != 0; piece = pieces_[piece].next) {
    order += step;
    pieces_[piece].order = order;
  }
}

}  // namespace wordloom
