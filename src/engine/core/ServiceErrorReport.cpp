#include "engine/core/ServiceErrorReport.h"

#include "engine/http/HttpEngine.h"
#include "model/Vocabulary.h"
#include "platform/runtime/RunLoop.h"

namespace zu {

bool ServiceErrorReport::send(const std::optional<std::string>& url,
                              std::optional<Bytes> document) {
  if (!url || url->empty() || !document) return false;
  std::shared_ptr<ServiceErrorReport> report(new ServiceErrorReport());
  report->engine_ = std::make_shared<HttpEngine>();
  report->self_ = report;
  report->engine_->setObserver(report.get());
  report->engine_->setCacheEnabled(false);
  report->engine_->setHeaderField(std::string("Content-Type"),
                                  std::string(vocab::kContentTypeXml));
  // A failure reported before post() returns has already let the report go.
  std::shared_ptr<HttpEngine> engine = report->engine_;
  engine->post(*url, std::move(document));
  return true;
}

void ServiceErrorReport::onHttpEngineResult(HttpEngine* /*engine*/, int /*errCode*/,
                                            const std::shared_ptr<HttpResponse>& /*response*/) {
  // The engine is still inside its own callback: both go on a later turn of the loop.
  std::shared_ptr<ServiceErrorReport> self = std::move(self_);
  if (!self) return;
  self->engine_->setObserver(nullptr);
  RunLoop::current()->post([self] {});
}

}  // namespace zu
