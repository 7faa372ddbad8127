// A text under many small replacements, kept as a list of pieces that point into the
// original text and into the replacement texts, so that a replacement costs the same however
// long the text is. A place in the text is named by a piece and an offset in it; such a name
// stays good while other parts of the text are replaced (a piece that is cut in two forwards
// its later offsets to the new piece), and goes dead once its byte is replaced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wordloom {

class PieceList {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  struct Place {
    std::uint32_t piece = kNone;
    std::uint32_t offset = 0;
    bool operator==(const Place&) const = default;
  };

  // The text, cut into short pieces; the bytes must outlive the list's use. Given which bytes
  // start a character (see MarkCharacterStarts()), each piece knows whether it starts one,
  // which stays true only while every replacement keeps the characters of the bytes around
  // it (see StartsCharacterAt()).
  void Reset(std::string_view text, const std::vector<std::uint64_t>* characterStarts);
  std::size_t Size() const { return size_; }
  std::size_t PieceCount() const { return pieces_.size(); }
  // The start of the text (kNone when it is empty).
  Place Start() const;
  // The byte at the offset of the text given to Reset().
  Place PlaceInText(std::size_t offset) const;

  // Where the named byte is now, or a place with piece kNone when it was replaced.
  Place Resolve(Place place) const;
  // True when a comes before b in the text (both resolved).
  bool Before(Place a, Place b) const;
  // The place `length` bytes after `place`, which may be the end of a piece.
  Place Advance(Place place, std::size_t length) const;
  // True when the bytes at the place are `bytes`.
  bool HoldsAt(Place place, std::string_view bytes) const;
  // True when the place starts a character, the characters counted from `from` (a place
  // before it, taken as a character's start; kNone: the start of the text). A byte below
  // 0x80 always ends a character, so only the run of bytes of 0x80 and above before the
  // place is looked at.
  bool StartsCharacter(Place place, Place from) const;
  // The same for a list that tracks characters, where every replacement put whole characters
  // at a character's start in place of whole characters: a look at the piece alone.
  bool StartsCharacterAt(Place place) const {
    const Piece& p = pieces_[place.piece];
    return StartsCharacterAfter(p.data, place.offset, p.startsCharacter);
  }

  // Replaces `length` bytes at the place by `replacement` (kept by the caller). When
  // characters are tracked, both must be whole characters and the place a character's start.
  // Returns the place where the replacement starts (for an empty one, the first byte after
  // it).
  Place Replace(Place place, std::size_t length, std::string_view replacement);

  // Copies up to `before` bytes ahead of the place, the `length` bytes from it and up to
  // `after` bytes beyond to the start of `window` (grown when too small, never shrunk), with
  // where each window byte lies in `places` (one per stretch: the window offset it starts at
  // and its place). Returns the window offset of the place and the bytes copied.
  struct Stretch {
    std::size_t windowOffset;
    Place place;
  };
  struct Copied {
    std::size_t at;
    std::size_t size;
  };
  Copied Window(Place place, std::size_t length, std::size_t before, std::size_t after,
                std::string& window, std::vector<Stretch>& places) const;

  // The whole text.
  std::string Text() const;

 private:
  // The pieces a text starts as: a piece cut many times forwards through every cut before the
  // offset asked for, so the cuts of one piece must stay few; but a piece costs memory, and a
  // long text is cut the less densely.
  static constexpr std::size_t kShortPiece = 16;  // both powers of two
  static constexpr std::size_t kLongPiece = 64;
  static constexpr std::size_t kLongText = std::size_t{1} << 20;

  struct Piece {
    const char* data;
    std::uint32_t length;
    std::uint32_t prev, next;  // neighbours in the text; the list is circular through piece 0
    std::uint32_t forward;     // the piece that took this one's bytes from `forwardAt` on
    std::uint32_t forwardAt;
    std::uint64_t order;   // increasing along the text
    bool startsCharacter;  // when characters are tracked
  };

  // Whether the byte `n` bytes on starts a character, given whether the first one does. A
  // byte below 0x80 always ends a character, and after it each byte of 0x80 and above
  // alternates between opening a character and closing one.
  static bool StartsCharacterAfter(const char* data, std::size_t n, bool firstStarts);

  // The first place of the piece's bytes from `offset` on, cutting it in two when needed.
  std::uint32_t CutAt(std::uint32_t piece, std::uint32_t offset);
  // New pieces of up to kLongPiece bytes each for the bytes, after the piece `after`; the
  // first one's start is a character's start as `startsCharacter` says. Returns the first.
  std::uint32_t InsertPieces(std::uint32_t after, const char* data, std::size_t length,
                             bool startsCharacter);
  void Unlink(std::uint32_t piece);
  void Renumber();

  std::vector<Piece> pieces_;  // piece 0 is the list's head and holds no byte
  std::size_t size_ = 0;
  std::size_t firstPiece_ = kShortPiece;  // the bytes of the pieces Reset() made
  bool trackCharacters_ = false;
};

}  // namespace wordloom
