// NewPictureEngine: what the picture viewer asks of the data engine — the cached file of a
// picture's address, and a prioritised download session over an article's picture addresses. The
// default goes to the data engine (gDataEngine()); a test gives its own to record the session's
// ranges and to say which pictures are cached. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zu {

class DownloadWithPrioritySession;

class NewPictureEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~NewPictureEngine() = default;

  static std::shared_ptr<NewPictureEngine> defaultEngine();

  // The cached file of a picture, or none before it was downloaded (or without an address).
  virtual Text getImageLocalPath(const Text& url);
  // A session over `urls` (none stands for a picture without an address); null for no pictures.
  virtual std::shared_ptr<DownloadWithPrioritySession> createPictureSession(const std::vector<Text>& urls);
};

}  // namespace zu
