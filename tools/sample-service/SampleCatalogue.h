// SampleCatalogue: the sample service's column catalogue, as the content centre browses it, and
// its custom subscription scopes.
//
// The catalogue ("/sub/list.atom", two pages) has three levels: the root holds the custom-content
// category ("/custom/scopes.atom"), the social column of platform 0's microblog ("col-zelvane",
// its `self` flag set), two categories with a label of their own ("/catalog/news.atom", "/catalog/pictures.atom")
// and the popular columns, which continue on the second page; the news category holds two
// columns without a category term and a third level ("/catalog/news-local.atom"). Its leaves are
// the columns of columns.xml and columns-more.xml (two the home grid does not hold, on the second
// page, in the local level and the pictures category) without their article-list link (the content centre opens a leaf's
// detail, and a row with an address a further level), so the subscription routes know them. The
// root's search link ("/catalog/search.atom?q=<words>", two to a page) finds the leaves whose
// title or summary holds the words and carries the OpenSearch total.
//
// The custom-content category's scope feed lists four scopes, kinds "zelvanemblog", "qqzone",
// "blog" and "rss", each with its search template ("/custom/search/<kind>.atom?q=<words>", GET,
// or POST for the microblog, two to a page with the total). A scope finds its custom columns
// whose title holds the words (ignoring case and outer blanks); "nothing" finds none. The found
// columns carry their customization (subscribed through "/sub/add.atom") and no article-list link;
// customColumns() gives them as the subscription routes answer them, with their lists: the
// columns of a kind share its list ("/col/custom-<kind>.atom", documents/column-custom-<kind>.xml,
// whose articles are in articles-custom.xml).
//
// Stateless: any thread may call it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zu {

class SampleCatalogue {
 public:
  // The answer to `path` with `query` (without '?'), or nullopt when the path is not the
  // catalogue's. `columns` is the text of the column documents; `base` the server's base URL.
  static std::optional<std::string> answer(const std::string& path, const std::string& query,
                                           const std::string& columns, const std::string& base);
  // Every custom column a scope can find, in the form the subscription routes answer.
  static std::vector<std::string> customColumns(const std::string& base);
};

}  // namespace zu
