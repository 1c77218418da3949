#include "model/columns/OfflineDownloadProgress.h"

namespace zu {

std::shared_ptr<OfflineDownloadProgress> OfflineDownloadProgress::copy() const {
  return std::make_shared<OfflineDownloadProgress>(*this);
}

}  // namespace zu
