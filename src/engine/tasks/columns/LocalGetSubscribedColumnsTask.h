// LocalGetSubscribedColumnsTask: the reader's subscribed columns from the local subscription
// store, without the network, reported with onFeedResult. Microblog columns whose platform is
// not authorised carry the binding prompt instead of their images; the others carry their
// cover images from the column cache when loadImageData is set. An empty store gives a feed
// without entries; only a store that gives no feed at all finishes with -1.
//
// Made by DataEngine::createGetSubscribedColumnsTask; runs on the "task" thread.
#pragma once

#include "engine/core/Task.h"

namespace zu {

class LocalGetSubscribedColumnsTask : public Task {
 public:
  void run() override;

  bool loadImageData() const { return loadImageData_; }
  void setLoadImageData(bool load) { loadImageData_ = load; }

 private:
  bool loadImageData_ = false;
};

}  // namespace zu
