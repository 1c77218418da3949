// DownloadWithPrioritySessionDelegate: what a screen implements to hear its download session.
// Called on the main thread, once per finished attempt, successful or not.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class DownloadWithPrioritySession;

class DownloadWithPrioritySessionDelegate {
 public:
  virtual ~DownloadWithPrioritySessionDelegate() = default;
  // `localPath`: the image's file in the response cache, or nullopt when the cache has none.
  virtual void onDownloadResult(const std::shared_ptr<DownloadWithPrioritySession>& session,
                                const std::string& url,
                                const std::optional<std::string>& localPath) = 0;
};

}  // namespace zu
