// XmlWellFormedness: checks that a document we write is well-formed XML and namespace
// well-formed (every prefix used is declared in scope), as outside validators and our own
// parser need it to be. Parsed by libxml2 with no network and no error output. Static
// functions, any thread.
#pragma once

#include <string>
#include <string_view>

namespace zu {

class XmlWellFormedness {
 public:
  XmlWellFormedness() = delete;

  // "" when the document is well-formed and namespace well-formed; otherwise libxml2's message
  // for the last fault found (never empty).
  static std::string namespaceFaults(std::string_view document);
};

}  // namespace zu
