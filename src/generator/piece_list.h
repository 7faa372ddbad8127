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

  // The text as one piece; the bytes must outlive the list's use.
  void Reset(std::string_view text);
  std::size_t Size() const { return size_; }
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

  // Replaces `length` bytes at the place by `replacement` (kept by the caller). Returns the
  // place where the replacement starts (for an empty one, the first byte after it).
  Place Replace(Place place, std::size_t length, std::string_view replacement);

  // Copies up to `before` bytes ahead of the place, the `length` bytes from it and up to
  // `after` bytes beyond into `window`, with where each window byte lies in `places` (one
  // per stretch: the window offset it starts at and its place). Returns the window offset of
  // the place.
  struct Stretch {
    std::size_t windowOffset;
    Place place;
  };
  std::size_t Window(Place place, std::size_t length, std::size_t before, std::size_t after,
                     std::string& window, std::vector<Stretch>& places) const;

  // The whole text.
  std::string Text() const;

 private:
  static constexpr std::size_t kFirstPiece = 64;

  struct Piece {
    const char* data;
    std::uint32_t length;
    std::uint32_t prev, next;  // neighbours in the text; the list is circular through piece 0
    std::uint32_t forward;     // the piece that took this one's bytes from `forwardAt` on
    std::uint32_t forwardAt;
    std::uint64_t order;  // increasing along the text
  };

  // The first place of the piece's bytes from `offset` on, cutting it in two when needed.
  std::uint32_t CutAt(std::uint32_t piece, std::uint32_t offset);
  std::uint32_t Insert(std::uint32_t after, const char* data, std::uint32_t length);
  void Unlink(std::uint32_t piece);
  void Renumber();

  std::vector<Piece> pieces_;  // piece 0 is the list's head and holds no byte
  std::size_t size_ = 0;
};

}  // namespace wordloom
