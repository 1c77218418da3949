// PageGridViewDataSourceProtocol: what a PageGridView asks its data source about pages and the
// items on them, on the main thread. Every method is optional; each default is the value the
// paged grid uses when the data source does not answer (or when there is none). The paged grid
// holds its data source weakly and passes itself first.
#pragma once

#include <memory>

#include "views/IndexPath.h"

namespace zu {

class GridViewCell;
class PageGridView;

class PageGridViewDataSourceProtocol {
 public:
  virtual ~PageGridViewDataSourceProtocol() = default;

  virtual int numberOfPagesInPageGridView(PageGridView& /*grid*/) { return 0; }
  virtual int pageGridViewNumberOfCellsAtPage(PageGridView& /*grid*/, int /*page*/) { return 0; }
  // An item cell, usually first looked for with dequeueReusableCellWithIdentifierAtPage.
  virtual std::shared_ptr<GridViewCell> pageGridViewCellAtIndexPath(PageGridView& /*grid*/,
                                                                    const IndexPath& /*path*/) {
    return nullptr;
  }
  virtual void pageGridViewLayoutCellAtIndexPath(PageGridView& /*grid*/, GridViewCell& /*cell*/,
                                                 const IndexPath& /*path*/) {}
};

}  // namespace zu
