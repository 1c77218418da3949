// OfflineDownDetailInnerTask: downloads one article for offline reading on an engine its batch
// lends it, every request stored as an offline item of the response cache: the article (unless
// the summary already carries it), its extra page, its comments, then the style sheets and
// scripts the article's HTML refers to, fetched one by one into the link cache, where the
// reading screen's web view finds them (OfflineAttachmentFetcher), and last the pictures (of the HTML, the comments'
// thumbnails, and a picture article's pictures) into the offline part of the image cache. An
// article fetched from the network (not answered from the cache) counts as one. Any HTTP failure
// ends the article with its code.
//
// cancel() ends the article with -6 at once, whichever of its fetches runs.
//
// Lifetime and threads: an inner task that keeps itself and its delegate alive from run() to its
// finish; everything on the "task" thread, where every fetch delivers.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/HttpInnerTask.h"
#include "engine/tasks/images/DownloadImageInnerTaskDelegate.h"

namespace zu {

class Feed;
class NewsDetail;
class NewsSummary;
class OfflineAttachmentFetcher;
class OfflineDownDetailInnerTaskDelegate;

class OfflineDownDetailInnerTask : public HttpInnerTask, public DownloadImageInnerTaskDelegate {
 public:
  OfflineDownDetailInnerTask(std::shared_ptr<HttpEngine> engine,
                             std::shared_ptr<NewsSummary> newsSummary,
                             std::shared_ptr<OfflineDownDetailInnerTaskDelegate> delegate);

  // Ends the article with -6: drops a running attachment fetch, or cancels the exchange running
  // on the engine (which reports -6). Nothing once the article has ended.
  void cancel();
  // 1 when the article came from the network, else 0.
  int getTotalNewsCount() const { return totalNewsCount_; }

  void onHttpError(int errCode, const std::optional<std::string>& errDesc) override;
  void onHttpSuccess(const std::shared_ptr<HttpResponse>& response) override;
  // The pictures' download ends the article with its code.
  void onDownloadImageInnerTaskFinished(DownloadImageInnerTask* task, int errCode,
                                        const std::optional<std::string>& errDesc) override;

 protected:
  void start() override;
  void finish(int errCode, const std::optional<std::string>& errDesc) override;

 private:
  // States: 0 article, 1 extra page, 2 comments, 3 attachments and pictures.
  void runStateMachine();
  void get(const std::optional<std::string>& url);
  // The pictures of the article HTML, the comments' thumbnails and, for picture kinds, the
  // article's pictures, in that order; the style sheets and scripts go to `attachments`.
  std::vector<std::string> collectImageUrls(std::vector<std::string>* attachments) const;
  void downloadPictures(const std::vector<std::string>& urls);
  void notifyFlow();

  std::shared_ptr<NewsSummary> newsSummary_;
  std::shared_ptr<NewsDetail> newsDetail_;
  std::shared_ptr<Feed> comments_;
  std::shared_ptr<OfflineDownDetailInnerTaskDelegate> delegate_;
  std::shared_ptr<OfflineAttachmentFetcher> attachments_;
  int state_ = 0;
  int64_t currFlow_ = 0;
  int totalNewsCount_ = 0;
};

}  // namespace zu
