// wordloom-make-store DEST [--sentences N] [--synonyms R] [--libraries L]: writes a synthetic
// store, to try the tools and the windows on a large one.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

#include "store_maker.h"

namespace {

constexpr char kUsage[] =
    "Usage: wordloom-make-store DEST [--sentences N] [--synonyms R] [--libraries L]\n"
    "Writes a synthetic store into DEST (created when missing; it must hold no store yet):\n"
    "N sentences of about 60 bytes over 10 files (default 100000), 10000 keywords,\n"
    "R synonym rules (default 0; the first ones find words the sentences hold, the rest\n"
    "words they do not) and the template 基准模版.txt. With --libraries, L sentence\n"
    "libraries of 50 sentences and L keyword libraries of 20 keywords instead, and a\n"
    "template that calls ten of each kind.\n";

bool ParseCount(const char* text, std::size_t& value) {
  if (*text == '\0' || std::strlen(text) > 10) return false;
  std::size_t v = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + static_cast<std::size_t>(*p - '0');
  }
  value = v;
  return true;
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "wordloom-make-store: %s (see --help)\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  wordloom::bench::StoreShape shape;
  std::string dest;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--sentences" || arg == "--synonyms" || arg == "--libraries") {
      std::size_t& target = arg == "--sentences"  ? shape.sentences
                            : arg == "--synonyms" ? shape.synonyms
                                                  : shape.libraries;
      if (i + 1 >= argc || !ParseCount(argv[i + 1], target)) {
        return UsageError("option " + std::string(arg) + " needs a number");
      }
      ++i;
    } else if (arg.starts_with("-")) {
      return UsageError("unknown option: " + std::string(arg));
    } else if (dest.empty()) {
      dest = arg;
    } else {
      return UsageError("more than one DEST given");
    }
  }
  if (dest.empty()) return UsageError("no DEST given");
  if (shape.sentences == 0) return UsageError("a store needs at least one sentence");

  if (wordloom::bench::HoldsStore(dest)) {
    std::fprintf(stderr, "wordloom-make-store: %s already holds a store; nothing written\n",
                 dest.c_str());
    return 1;
  }
  try {
    wordloom::bench::MakeStore(dest, shape);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "wordloom-make-store: %s\n", e.what());
    return 1;
  }
  if (shape.libraries > 0) {
    std::printf(
        "%zu sentence and %zu keyword libraries, %zu synonym rules and the template %s in %s\n",
        shape.libraries, shape.libraries, shape.synonyms, wordloom::bench::kTemplateName,
        dest.c_str());
  } else {
    std::printf("%zu sentences, %zu keywords, %zu synonym rules and the template %s in %s\n",
                shape.sentences, shape.keywords, shape.synonyms, wordloom::bench::kTemplateName,
                dest.c_str());
  }
  return 0;
}
