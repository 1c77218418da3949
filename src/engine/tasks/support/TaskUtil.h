// TaskUtil: the small readings every concrete task makes of what it works with: the reply body
// as text for the parser and the log, the facade's observer and stores, and the entry ids of a
// list. Static functions only, callable on the "task" thread (or any thread).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/Value.h"

namespace zu {

class DataEngineObserver;
class Entry;
class EntryPersistenter;
class Feed;
class HttpEngine;
class HttpResponse;
class Link;
class Task;
class VeskCustomization;
class VeskError;

class TaskUtil {
 public:
  TaskUtil() = delete;

  // The reply body as the bytes it is (the parser takes any text, the log reads UTF-8).
  static std::string_view bodyText(const HttpResponse& response);
  static std::string_view bytesText(const Bytes& bytes);
  // A request body for a log line ("(null)" when there is none), masked (maskedForLog): the log
  // is uploaded with a feedback message.
  static std::string logText(const std::optional<Bytes>& body);
  // An XML body with the text of every secret element — "auth" (the bound account's token and
  // secret), "old" and "new" (a password change's passwords), with whatever they hold — replaced
  // by "***"; the markup and everything else as it was. Text past a tag that does not end is
  // masked too when it may lie inside a secret.
  static std::string maskedForLog(std::string_view xml);

  // The line a list or article task logs when its reply does not parse: the engine, the task,
  // whether the reply was a cached copy, the body length, the request URL, the response's
  // header fields and the body.
  static void logParseError(const HttpEngine* engine, const Task& task,
                            const HttpResponse& response);

  // POSTs the bound account's token and secret of the customization's microblog to `url`
  // ("Content-Type" "application/atom+xml"), as the microblog lists and refreshes ask; false,
  // with nothing sent, when the account lacks either.
  static bool postMicroblogRequest(HttpEngine& engine, const std::optional<std::string>& url,
                                   const std::shared_ptr<VeskCustomization>& customization);

  // POSTs an entry document ("Content-Type" "application/atom+xml;type=entry") with the
  // response cache off: the request changes something on the service, so its failure must be
  // reported, never answered from a cached copy. With a log name, first logs
  // "<logName> url=%s data=%s".
  static void postEntryDocument(HttpEngine& engine, const char* logName,
                                const std::optional<std::string>& url, std::optional<Bytes> body);

  // The server code of a refusal item, -(100000 + reason); -100501/-100502 on a microblog
  // customization also clear that platform's binding (the service no longer accepts it).
  static int serverErrorOf(const VeskError& error);
  // The facade's favourites count becomes the one the feed carries (unchanged when it carries
  // none).
  static void takeFavoriteCount(const Feed& feed);

  // Whether the entry's status names a book (type 9): book columns have no article list.
  static bool isBook(const Entry* entry);

  // The link's href (nullopt without a link).
  static std::optional<std::string> hrefOf(const std::shared_ptr<Link>& link);
  // Bytes sent and received over the engine's life.
  static int64_t flowOf(const HttpEngine& engine);

  // The facade's observer, subscription store and favourites store (null without a facade).
  static std::shared_ptr<DataEngineObserver> observer();
  static std::shared_ptr<EntryPersistenter> subscriptions();
  static std::shared_ptr<EntryPersistenter> favorites();

  // The feed's entries (an empty list when it has none).
  static std::vector<std::shared_ptr<Entry>> entriesOf(const Feed* feed);
  // The ids of the entries that have one, in order.
  static std::vector<std::string> entryIds(const std::vector<std::shared_ptr<Entry>>& entries);
};

}  // namespace zu
