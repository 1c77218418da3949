#include "engine/openplatform/MyUrlConnection.h"

#include "common/Log.h"

namespace zu {

MyUrlConnection::MyUrlConnection(int flag, Value obID,
                                 std::weak_ptr<MyUrlConnectionDelegate> delegate)
    : flag_(flag), obID_(std::move(obID)), delegate_(std::move(delegate)) {}

MyUrlConnection::~MyUrlConnection() {
  if (connection_) connection_->cancel();
}

std::shared_ptr<MyUrlConnection> MyUrlConnection::createConnection(
    UrlRequest request, const std::weak_ptr<MyUrlConnectionDelegate>& delegate, int flag,
    Value obID) {
  std::shared_ptr<MyUrlConnection> c(new MyUrlConnection(flag, std::move(obID), delegate));
  c->self_ = c;
  c->connection_ = UrlConnection::start(std::move(request), c.get());
  VESKLogImpl("********createConnection = %d", flag);
  return c;
}

std::string MyUrlConnection::responseText() const {
  return std::string(responseData_.begin(), responseData_.end());
}

const UrlRequest& MyUrlConnection::request() const { return connection_->request(); }

bool MyUrlConnection::onReceiveData(const uint8_t* data, size_t length) {
  responseData_.insert(responseData_.end(), data, data + length);
  return true;
}

void MyUrlConnection::destroy() {
  VESKLogImpl("MyUrlConnection destroy");
  responseData_.clear();
}

void MyUrlConnection::cancel() {
  if (connection_) connection_->cancel();
  self_.reset();
}

void MyUrlConnection::connectionDidReceiveResponse(
    UrlConnection&, const std::shared_ptr<const UrlResponse>& response) {
  statusCode_ = response ? response->statusCode : 0;
  responseData_.clear();
  if (auto d = delegate_.lock()) d->myConnectionDidReceiveResponse(*this);
}

void MyUrlConnection::connectionDidReceiveData(UrlConnection&, const uint8_t* data,
                                               size_t length) {
  onReceiveData(data, length);
}

void MyUrlConnection::connectionDidFinishLoading(UrlConnection&) {
  auto keep = std::move(self_);
  if (auto d = delegate_.lock()) d->myConnectionDidFinishLoading(*this);
}

void MyUrlConnection::connectionDidFailWithError(UrlConnection&, const UrlError& error) {
  auto keep = std::move(self_);
  if (auto d = delegate_.lock()) d->myConnectionDidFailWithError(*this, error);
}

}  // namespace zu
