// ePubBuilder: writes the documents that make a downloaded book an ePub 2 publication, from the
// book's catalogue and its entry: the "mimetype" file, "META-INF/container.xml" (naming
// "OPS/content.opf"), the OPF package document and the NCX navigation document (named
// "toc.ncx" by the OPF). The page files themselves ("ch<chapter>.htm", "<section>.htm"), the
// zip container and where the two documents are stored are the caller's business.
//
// In both documents a chapter is followed by its sections whose index is at least 1, so the
// OPF item ids ("id1", "id2" ...) and the NCX play orders run in the same depth-first order;
// the OPF counts its last item, the NCX itself, as well. The documents are serialised like
// every document the client writes (XmlDocumentWriter: UTF-8 declaration, no indentation).
//
// Static functions only, no state: any thread. File failures are logged on the console and
// answered false.
#pragma once

#include <string>
#include <string_view>

#include "platform/runtime/Value.h"

namespace zu {

class BookCatalog;
class Entry;

class ePubBuilder {
 public:
  ePubBuilder() = delete;

  // `directory` ends with a path separator.
  static bool createMimeTypeFile(const std::string& directory);
  // Creates "META-INF/" below the directory when missing, then its "container.xml".
  static bool createMetaInfFile(const std::string& directory);

  // The OPF package document of the book `uuid`: metadata (title, creator, language "zh",
  // publisher, identifier "urn:uuid:<uuid>"), manifest and spine. The title is the entry's, else
  // its id, else `uuid`: the format requires one. A null catalogue or entry gives the root
  // "package" alone.
  static Bytes allocOpfPackage(std::string_view uuid, const BookCatalog* catalog,
                               const Entry* entry);
  // The NCX document: head, title and the navigation map of chapters and their sections. A
  // null catalogue or entry gives the root "ncx" alone.
  static Bytes allocNcxPackage(std::string_view uuid, const BookCatalog* catalog,
                               const Entry* entry);
};

}  // namespace zu
