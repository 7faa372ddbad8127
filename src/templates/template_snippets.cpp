#include "templates/template_snippets.h"

namespace wordloom::snippets {
namespace {

// A list skeleton; it ends on the closing tag, so the caret lands right after it.
Text ListSkeleton(const char* open, const char* close) {
  return Text(open) + "\r\n\t<li>\r\n\t\t<p>\r\n\t\t</p>\r\n\t</li>\r\n" + close;
}

}  // namespace

const Text& Paragraph() {
  static const Text text = "<p></p>";
  return text;
}

const Text& Heading() {
  static const Text text = "<h2></h2>";
  return text;
}

const Text& OrderedList() {
  static const Text text = ListSkeleton("<ol>", "</ol>");
  return text;
}

const Text& UnorderedList() {
  static const Text text = ListSkeleton("<ul>", "</ul>");
  return text;
}

const Text& Tab() {
  static const Text text = "\t";
  return text;
}

}  // namespace wordloom::snippets
