// wordloom-make-check-store DEST: writes the store the store check is measured on (700
// sentence and 300 keyword libraries, 1,000,000 lines, 100 templates, 1,000 synonym rules).
#include <cstdio>
#include <exception>
#include <string_view>

#include "check_store_maker.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    std::puts(
        "Usage: wordloom-make-check-store DEST\n"
        "Writes into DEST (it must hold no store yet) 700 sentence and 300 keyword\n"
        "libraries with 1,000,000 lines in all, 100 templates and 1,000 synonym rules.");
    return 0;
  }
  if (argc != 2 || std::string_view(argv[1]).starts_with("-")) {
    std::fputs("wordloom-make-check-store: give one DEST (see --help)\n", stderr);
    return 2;
  }
  try {
    wordloom::bench::MakeCheckStore(argv[1], {});
  } catch (const std::exception& e) {
    std::fprintf(stderr, "wordloom-make-check-store: %s\n", e.what());
    return 1;
  }
  return 0;
}
