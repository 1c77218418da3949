#include "engine/tasks/support/TaskUtil.h"

#include <algorithm>
#include <cctype>

#include "common/Log.h"
#include "engine/core/DataEngine.h"
#include "engine/core/DataEngineObserver.h"
#include "engine/core/Task.h"
#include "engine/http/HttpEngine.h"
#include "engine/http/HttpResponse.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "engine/core/ErrorCodes.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskError.h"
#include "model/service/VeskFavorite.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/Vocabulary.h"

namespace zu {

namespace {
// The service no longer accepts the bound microblog account.
constexpr int kUnboundAccountCode1 = -100501;
constexpr int kUnboundAccountCode2 = -100502;
}  // namespace

std::string_view TaskUtil::bodyText(const HttpResponse& response) {
  return bytesText(response.responseBody());
}

std::string_view TaskUtil::bytesText(const Bytes& bytes) {
  return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

namespace {

// Elements whose text is a secret: the bound account's token and secret inside "auth", and the
// old and new passwords of a password change.
bool isSecretElement(std::string_view qualifiedName) {
  const size_t colon = qualifiedName.rfind(':');
  const std::string_view name =
      colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
  return name == vocab::kElemAuth || name == vocab::kElemOld || name == vocab::kElemNew;
}

constexpr std::string_view kMask = "***";

}  // namespace

std::string TaskUtil::maskedForLog(std::string_view xml) {
  std::string out;
  out.reserve(xml.size());
  int secretDepth = 0;  // open elements at and below the outermost secret one
  // One mask for a run of hidden pieces.
  auto mask = [&out] {
    if (out.size() < kMask.size() || out.compare(out.size() - kMask.size(), kMask.size(), kMask) != 0) {
      out += kMask;
    }
  };
  size_t i = 0;
  while (i < xml.size()) {
    if (xml[i] != '<') {
      const size_t next = std::min(xml.find('<', i), xml.size());
      if (secretDepth > 0) {
        mask();
      } else {
        out.append(xml.substr(i, next - i));
      }
      i = next;
      continue;
    }
    // Markup: a comment, CDATA section or processing instruction inside a secret is masked
    // whole; a tag is kept and counted.
    const bool special = i + 1 < xml.size() && (xml[i + 1] == '!' || xml[i + 1] == '?');
    std::string_view closer = ">";
    if (xml.substr(i, 9) == "<![CDATA[") closer = "]]>";
    if (xml.substr(i, 4) == "<!--") closer = "-->";
    const size_t end = xml.find(closer, i + 1);
    const size_t after = end == std::string_view::npos ? xml.size() : end + closer.size();
    const std::string_view markup = xml.substr(i, after - i);
    if (special || end == std::string_view::npos) {  // a tag cut off takes the rest
      if (secretDepth > 0) {
        mask();
      } else {
        out += markup;
      }
    } else {
      const bool closing = markup.size() > 1 && markup[1] == '/';
      const bool empty = markup.size() > 2 && markup[markup.size() - 2] == '/';
      size_t nameStart = closing ? 2 : 1;
      size_t nameEnd = nameStart;
      while (nameEnd + 1 < markup.size() && markup[nameEnd] != '/' &&
             !std::isspace(static_cast<unsigned char>(markup[nameEnd]))) {
        ++nameEnd;
      }
      const std::string_view name = markup.substr(nameStart, nameEnd - nameStart);
      out += markup;
      if (closing) {
        if (secretDepth > 0) --secretDepth;
      } else if (!empty && (secretDepth > 0 || isSecretElement(name))) {
        ++secretDepth;
      }
    }
    i = after;
  }
  return out;
}

std::string TaskUtil::logText(const std::optional<Bytes>& body) {
  return body ? maskedForLog(bytesText(*body)) : std::string("(null)");
}

void TaskUtil::logParseError(const HttpEngine* engine, const Task& task,
                             const HttpResponse& response) {
  std::string head;
  if (const auto& header = response.responseHeader()) {
    for (const auto& [name, value] : header->headers) head += name + ": " + value + "\n";
  }
  VESKLogImpl(
      "ParseError httpEngine %s observer %s isCache=%d  bodyLength=%d requestUrl=%s "
      "responseHead=\n%s \nbody=\n%s",
      engine ? engine->description().c_str() : "(null)", task.description().c_str(),
      response.isCache() ? 1 : 0, static_cast<int>(response.responseBody().size()),
      response.requestUrl().c_str(), head.c_str(), std::string(bodyText(response)).c_str());
}

bool TaskUtil::postMicroblogRequest(HttpEngine& engine, const std::optional<std::string>& url,
                                    const std::shared_ptr<VeskCustomization>& customization) {
  auto facade = gDataEngine();
  std::optional<DataEngine::MicroblogCredentials> credentials;
  if (!facade || facade->microblogCredentials(customization, true, &credentials) != 0 ||
      !credentials) {
    return false;
  }
  engine.setHeaderField(std::string("Content-Type"), std::string("application/atom+xml"));
  engine.post(url,
              VESKAtomBuilder::allocPostMblogReqXML(credentials->accessToken, credentials->secret));
  return true;
}

void TaskUtil::postEntryDocument(HttpEngine& engine, const char* logName,
                                 const std::optional<std::string>& url, std::optional<Bytes> body) {
  if (logName) {
    VESKLogImpl("%s url=%s data=%s", logName, url.value_or("(null)").c_str(),
                logText(body).c_str());
  }
  engine.setHeaderField(std::string("Content-Type"),
                        std::string("application/atom+xml;type=entry"));
  engine.setCacheEnabled(false);
  engine.post(url, std::move(body));
}

int TaskUtil::serverErrorOf(const VeskError& error) {
  const int code = GetServerErrorCode(error.reason());
  const auto& customization = error.veskCustomization();
  if ((code == kUnboundAccountCode1 || code == kUnboundAccountCode2) && customization &&
      customization->isMBlogType()) {
    auto client = OpenPlatformFactory::instance().getOpenPlatformInstance(
        customization->getOpenPlatformType());
    if (client) client->clearAuthInfo();
  }
  return code;
}

void TaskUtil::takeFavoriteCount(const Feed& feed) {
  if (auto engine = gDataEngine(); engine && feed.veskFavorite()) {
    engine->setFavoriteNewsCount(feed.veskFavorite()->count());
  }
}

bool TaskUtil::isBook(const Entry* entry) {
  constexpr int32_t kBookEntryType = 9;
  return entry && entry->veskEntryStatus() && entry->veskEntryStatus()->type() == kBookEntryType;
}

std::optional<std::string> TaskUtil::hrefOf(const std::shared_ptr<Link>& link) {
  return link ? link->href() : std::nullopt;
}

int64_t TaskUtil::flowOf(const HttpEngine& engine) {
  return engine.totalReceivedSize() + engine.totalSentSize();
}

std::shared_ptr<DataEngineObserver> TaskUtil::observer() {
  auto engine = gDataEngine();
  return engine ? engine->getObserver() : nullptr;
}

std::shared_ptr<EntryPersistenter> TaskUtil::subscriptions() {
  auto engine = gDataEngine();
  return engine ? engine->getSubPersist() : nullptr;
}

std::shared_ptr<EntryPersistenter> TaskUtil::favorites() {
  auto engine = gDataEngine();
  return engine ? engine->getFavPersist() : nullptr;
}

std::vector<std::shared_ptr<Entry>> TaskUtil::entriesOf(const Feed* feed) {
  if (!feed || !feed->entrys()) return {};
  return *feed->entrys();
}

std::vector<std::string> TaskUtil::entryIds(const std::vector<std::shared_ptr<Entry>>& entries) {
  std::vector<std::string> ids;
  for (const auto& entry : entries) {
    if (entry && entry->entryId()) ids.push_back(*entry->entryId());
  }
  return ids;
}

}  // namespace zu
