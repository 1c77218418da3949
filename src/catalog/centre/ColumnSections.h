// ColumnSections: the content centre's lists cut into sections — runs of consecutive columns
// that share one category term (compared as text). Three ways of filling, one per road:
//  - firstPage: a catalogue level from scratch; a column without a term is a section of its own.
//  - search: search results from scratch; a column without a term joins the current section.
//  - append: a next page (catalogue or search) continues the last section, keyed by the term of
//    its first column, and then groups as a search does.
// (appendToLast is the custom subscription list's next page.) Entries that are not columns are
// skipped. Plain values; any thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zu {

class Column;
class Entry;

class ColumnSections {
 public:
  using Section = std::vector<std::shared_ptr<Column>>;
  using List = std::vector<Section>;
  using Entries = std::vector<std::shared_ptr<Entry>>;

  static List firstPage(const Entries& entries);
  static List search(const Entries& entries);
  static void append(List& list, const Entries& entries);
  // The custom subscription list's next page: every column joins the last section; with no
  // section the columns are dropped.
  static void appendToLast(List& list, const Entries& entries);

  // The column's category term, when it has one.
  static std::optional<std::string> termOf(const Column& column);
};

}  // namespace zu
