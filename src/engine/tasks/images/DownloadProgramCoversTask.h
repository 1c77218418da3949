// DownloadProgramCoversTask: refreshes the start-up covers shown while the home screen loads.
// It fetches the cover feed (the URL table's cover address, filling the table first when it is
// empty), and when the feed is newer than the covers kept ("CoverUpdateTime") or no first cover
// exists, downloads every cover image of the feed into the response cache and then rewrites the
// cover folder: old files deleted, then for the entry at position n the files "<n>_large",
// "<n>_portrait" and "<n>_landscape" copied from the cache (an image that failed leaves its file
// absent), the texts stored as engine settings, the feed's time kept and the facade's
// covers-changed flag set.
//
// Only the first kMaxCovers entries of the feed, in feed order, become covers (their images are
// downloaded, their files and texts kept), so the slideshow's indices stay contiguous however
// long the feed; the texts of the set are written to the defaults at once, and the descriptions
// of a longer set before are removed. The cover folder is a real one (a link in its place is
// replaced) and is emptied and filled relative to itself, never through a link.
//
// Muted: nothing reaches the finish observer. Codes: 0 covers rewritten; -4 nothing newer;
// -1 the feed names no image; -5000 the feed does not parse; else the fetch's code. The cover
// folder is touched only on success. Runs on the "task" thread; the facade starts one from
// getProgramCovers() and after a user switch.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/ServiceUrlTask.h"
#include "engine/tasks/images/DownloadImageInnerTaskDelegate.h"
#include "platform/runtime/Value.h"

namespace zu {

class Entry;
class Feed;

class DownloadProgramCoversTask : public ServiceUrlTask, public DownloadImageInnerTaskDelegate {
 public:
  // The custom integer key holding the time of the feed the covers came from.
  static constexpr const char* kCoverUpdateTimeKey = "CoverUpdateTime";

  DownloadProgramCoversTask();

  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
  void onDownloadImageInnerTaskFinished(DownloadImageInnerTask* task, int errCode,
                                        const std::optional<std::string>& errDesc) override;

  // The most covers kept from a feed: its first entries, in feed order.
  static constexpr size_t kMaxCovers = 32;
  // The most of a cover's title, description and source kept (UTF-16 units; the slideshow
  // shows a few lines of each): the texts live in the defaults, which are rewritten whole on
  // every change of a setting.
  static constexpr size_t kMaxCoverText = 1000;

  // A first cover ("0_large") exists in the cover folder.
  static bool haveCoverImage();
  // The texts of one cover: "title", "description", "source" (each cut to kMaxCoverText),
  // "updated" (when > 0) and "duration" (when >= 1).
  static Dictionary getInfoFromEntry(const Entry& entry);
  // Per cover entry the large, portrait and landscape cover addresses that exist.
  static std::vector<std::string> extractImageUrls(const Feed& feed);
  // The feed's entries that become covers: the first kMaxCovers.
  static std::vector<std::shared_ptr<Entry>> coverEntries(const Feed& feed);

 protected:
  // Fetches the cover feed.
  void onServiceUrlReady() override;
  // On success the cover folder is rewritten first.
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  void rewriteCoverFolder();

  std::shared_ptr<Feed> feed_;
};

}  // namespace zu
