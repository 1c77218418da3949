#include "engine/core/ServiceErrorReport.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "engine/http/HttpEngine.h"
#include "model/atom/Vocabulary.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

namespace {

std::atomic<size_t> gPending{0};

// The reports started on this thread that still wait for their answer. They are owned here,
// not by themselves: when the thread ends (the task thread does at engine shut-down) its loop
// will deliver no answer any more, and the reports go with the thread instead of being kept
// alive for ever by their own reference.
struct PendingReports {
  std::vector<std::shared_ptr<ServiceErrorReport>> reports;
  ~PendingReports() {
    gPending -= reports.size();
    for (auto& report : reports) report->detach();
  }
};

PendingReports& pendingHere() {
  thread_local PendingReports pending;
  return pending;
}

}  // namespace

size_t ServiceErrorReport::pendingCount() { return gPending.load(); }

bool ServiceErrorReport::send(const std::optional<std::string>& url,
                              std::optional<Bytes> document) {
  if (!url || url->empty() || !document) return false;
  std::shared_ptr<ServiceErrorReport> report(new ServiceErrorReport());
  report->engine_ = std::make_shared<HttpEngine>();
  report->engine_->setObserver(report.get());
  report->engine_->setCacheEnabled(false);
  report->engine_->setHeaderField(std::string("Content-Type"),
                                  std::string(vocab::kContentTypeXml));
  pendingHere().reports.push_back(report);
  ++gPending;
  // A failure reported before post() returns has already let the report go.
  std::shared_ptr<HttpEngine> engine = report->engine_;
  engine->post(*url, std::move(document));
  return true;
}

void ServiceErrorReport::detach() {
  if (engine_) engine_->setObserver(nullptr);
}

void ServiceErrorReport::onHttpEngineResult(HttpEngine* /*engine*/, int /*errCode*/,
                                            const std::shared_ptr<HttpResponse>& /*response*/) {
  // The engine calls back on the thread that started it, so the report is in this thread's list.
  auto& reports = pendingHere().reports;
  auto it = std::find_if(reports.begin(), reports.end(),
                         [this](const auto& report) { return report.get() == this; });
  if (it == reports.end()) return;
  std::shared_ptr<ServiceErrorReport> self = std::move(*it);
  reports.erase(it);
  --gPending;
  detach();
  // The engine is still inside its own callback: both go on a later turn of the loop.
  RunLoop::current()->post([self] {});
}

}  // namespace zu
