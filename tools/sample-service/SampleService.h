// SampleService: a loopback HTTP server speaking the service's protocol from the sample
// documents in documents/ (our own sample text): the service URL feed, the content centre's
// catalogue and custom subscription scopes (SampleCatalogue), a few kinds of column with article
// lists (columns.xml, the recommended and related list; columns-more.xml, the catalogue's columns
// a fresh home does not hold), articles as whole pages (SampleArticles), microblog posts opening
// as articles, comments and cover images, the reader's
// subscriptions and favourites (kept in memory), a profile, login, the statistics endpoint,
// the error-report endpoint, the feedback host's upload and form, and files the tests serve.
// Pictures ("/img/<name>.png") are the documents' own from documents/images/ (covers with the
// column's name, thumbnails, article pictures and the readers' portraits, drawn by
// tools/artwork/draw_artwork.py; a comment's picture is a commenter's portrait), an uploaded
// profile icon as uploaded, any other name a small block of colour picked from the name. Every
// article's video ("/video/<id>.webm") is the short sample video made at build time
// (cmake/ZuSampleVideo.cmake). Every catalogue column links its reviews and related columns. Every GET answer carries an ETag and honours If-None-Match with
// 304. In the documents "{base}" stands for the server's base URL.
//
// The subscription endpoints answer as the service does: adding gives a feed of the added
// columns (an error item for an id the service does not know), deleting gives an ok item per removed
// subscription and an error item with reason 102 for an id that was not subscribed, a refresh
// POST gives the catalogue entry of each posted id (reason 102 for unknown ones), and the
// column order POST reorders the subscriptions and stamps the order's time. The account summary
// holds the profile, the favourites count, the order's time (when it has one) and the subscribed
// columns in order; the recommended columns are the catalogue followed by a microblog column of platform 0
// ("col-zelvane", customisation "zelvanemblog"). Favourites: adding keeps the article's summary
// as the lists give it (the client posts title and id alone) and answers with the entries taken
// in (reason 104 for one already held) and every list carries the count; the favourite
// search address is followed by the keyword; removing one gives an ok item, or reason 102 for
// one not held. An article comes as a feed of one entry whose
// extra link leads to its dynamic part (collected when it is a favourite); comments come
// newest first, two to a page; a comment posted (or edited) comes back as stored, with an id
// and a thumbnail; a posted one is kept and listed first with an edit link until "op=del"
// removes it, and counted in the article's dynamic part (SampleComments). A short link is made
// from the query ("url=" or "articleid=") and redirects ("/s/<code>", 302) to the link or to the
// article's original page; an uploaded profile icon gets an address; a posted
// profile is kept and answered from then on (SampleProfile); password, statistics and illegal-content posts are
// taken in; a microblog repost ("/mblog/repost.atom") is refused with reason 501 for the token
// "revoked". The custom columns' articles (articles-custom.xml) are pages as the catalogue's
// are. Generated columns "col-gen-<n>" (list "/col/gen-<n>.atom") hold
// n articles "gen-<n>-<i>", each with a thumbnail, and a picture and the style sheet
// "/style/article.css" in its HTML. A column's reviews ("/reviews/<id>.atom") are the reviews
// posted to "/column/assess.atom" for it, newest first, then 20 generated ones, 12 to a page,
// each page linking to the next; its related columns ("/related/<id>.atom") are the other
// columns of the catalogue; a posted review is listed with the rating its reader last posted
// to "/column/rank.atom" for the column. Login takes Basic credentials: the service's own readers (kReaders,
// names without regard to case or the mail domain the client adds) only with their password, a wrong one refused with a 403 and
// "X-Error: 2" (kWrongPasswordReason, the service's "password does not match"); any other name
// as a reader the sample holds no password for; the names told to refuse get a 403 with the
// given "X-Error". Its answer is a feed whose urs record carries the reader's id as the service
// keeps it (ursIdOf: "urs." and the name).
// Platform 0's microblog answers its OAuth 1.0a exchange and user information (SampleOAuth), and
// its text and picture posts (SamplePosts); platforms 1 to 6 of the accounts screen answer theirs
// under "/open/<n>" (SamplePlatforms; the picture posts of 1 to 3, multipart forms,
// SamplePicturePosts). The article menu's dictionary ("/dp/dp?q="), translation ("/dp/fy?i=") and
// search ("/search?q=", the URL feed's template) pages are SampleLookups', from the documents'
// dictionary.txt and articles.xml. README.md lists every address the client calls. Every signed OAuth 1 request, platform 0's too, must carry
// a timestamp within five minutes and a nonce not used before (SamplePlatforms::freshness).
// An article's likes and share reports, and their records in its dynamic part: SampleArticleActions.
// The album column's articles carry several pictures each, with EXIF records (SampleAlbums).
// The notice feed (four recommended applications) and the font list with its pack are
// SampleNotices'.
//
// It is the fixture of the engine's tests and the service `make run` talks to. The server
// runs on its own threads from start() to stop() (or destruction); every public method is
// thread-safe. Requests are recorded in arrival order, the latest kKeptRequests of them, and
// their bodies (with the files of their forms) up to kKeptBodyBytes in all: an older body is
// dropped (emptied, bodyDropped set) once newer ones fill that, the latest always kept whole,
// so a long run (or a client posting large bodies) does not grow the service without end while
// a test still reads what it just sent. A form body is taken as large as any body
// (kMaxRequestBodyBytes), not only up to its HTTP library's own 8 KiB for forms. The book pages'
// style sheets and script on the static host are SampleBookLinks'.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "SampleArticleActions.h"
#include "SampleComments.h"
#include "SamplePlatforms.h"
#include "SampleProfile.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}

namespace zu {

class SampleService {
 public:
  struct Request {
    std::string method;
    std::string path;
    std::string query;  // without '?'
    std::string body;
    std::map<std::string, std::string> headers;  // names lower-cased
    // The files of a multipart form: field name -> (file name, bytes).
    std::map<std::string, std::pair<std::string, std::string>> formFiles;
    // The body and form files were dropped from the record (newer bodies filled what is kept).
    bool bodyDropped = false;
  };

  // `documentsDir` defaults to the documents folder beside this source.
  explicit SampleService(std::string documentsDir = std::string());
  ~SampleService();
  SampleService(const SampleService&) = delete;
  SampleService& operator=(const SampleService&) = delete;

  // The largest request body taken; a larger one is answered 413 (see BoundedHttpServer for
  // the server's other bounds, the README for how the client's uploads compare).
  static constexpr size_t kMaxRequestBodyBytes = size_t{64} << 20;
  // What the record of requests keeps: the latest kKeptRequests requests, and their bodies up to
  // kKeptBodyBytes in all (the latest whole, whatever its size).
  static constexpr size_t kKeptRequests = 4096;
  static constexpr size_t kKeptBodyBytes = size_t{16} << 20;

  // Binds 127.0.0.1 (port 0: any free port) and starts serving. False when it cannot bind.
  bool start(int port = 0);
  void stop();

  int port() const { return port_; }
  // The name its addresses give for its host instead of 127.0.0.1 (before start()): for a run
  // whose client reaches the service by a name that only a proxy knows.
  void setHostName(std::string name) { hostName_ = std::move(name); }
  // "127.0.0.1:<port>" and "http://127.0.0.1:<port>" (the host name set instead of 127.0.0.1).
  std::string host() const;
  std::string baseUrl() const;

  // Makes `path` answer with `status` (and an empty body) until cleared with 0.
  void setStatusForPath(const std::string& path, int status);
  // Serves `text` in place of the document file `name` ("columns.xml", ...); nullopt restores
  // the file.
  void setDocument(const std::string& name, std::optional<std::string> text);
  // The service's own readers: name (lower case) -> password.
  static inline const std::map<std::string, std::string> kReaders = {{"reader", "pw"}};
  // Where the short links it gives out live: "/s/<code>".
  static constexpr const char* kShortLinkPrefix = "/s/";
  // The login's refusal of a wrong password ("X-Error").
  static constexpr int kWrongPasswordReason = 2;
  // The service's id of the reader who logs in as `user`, as the login answer carries it.
  static std::string ursIdOf(const std::string& user) { return "urs." + user; }
  // Logins of `user` are refused with a 403 carrying "X-Error: <reason>" (0 lifts it).
  void refuseLogin(const std::string& user, int reason);
  // Replaces the subscriptions, as if another device had changed them.
  void setSubscriptions(std::vector<std::string> ids);
  // The time (milliseconds since 1970) of the subscription order; 0: no order kept yet.
  void setSubscriptionOrderTime(int64_t millis);
  int64_t subscriptionOrderTime() const;
  // Every answer to a path that starts with `prefix` waits `millis` before it is sent (0 lifts
  // it), so that a client's requests overlap. Such a request is on record (requests(),
  // waitForRequests) from its arrival, the others once answered.
  void setResponseDelay(const std::string& prefix, int millis);
  // While held, every answer to a path that starts with `prefix` waits until the hold is lifted
  // (or the service stops), so that a client's request is certainly still in flight while a
  // test acts; the request is on record from its arrival, like a delayed one.
  void holdAnswers(const std::string& prefix, bool hold);
  // The longest number of requests the server answered at the same time.
  int maxConcurrentRequests() const;

  // Serves `bytes` at `path` (GET; a Range request gets its part) until cleared with nullopt.
  void setFile(const std::string& path, std::optional<std::string> bytes,
               std::string contentType = "application/octet-stream");
  // The next GET of `path` sends its headers and only the first `bytes` bytes of its body, then
  // drops the connection (a download interrupted on the way).
  void cutNextAnswer(const std::string& path, size_t bytes);

  std::vector<Request> requests() const;
  std::vector<Request> requestsTo(const std::string& path) const;
  void clearRequests();
  // Waits (on a condition variable) until `count` requests to `path` were recorded.
  bool waitForRequests(const std::string& path, size_t count,
                       std::chrono::milliseconds timeout) const;

  // The subscribed column ids and favourite ids, in order.
  std::vector<std::string> subscriptions() const;
  std::vector<std::string> favorites() const;
  // The likes and share reports taken in.
  const SampleArticleActions& articleActions() const { return articleActions_; }

 private:
  struct Answer {
    int status = 200;
    std::string contentType = "application/atom+xml;charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
  };

  Answer answer(const Request& request);
  // Serves one request (its body and form files already read) into `res`.
  void serve(const httplib::Request& req, httplib::Response& res, std::string body,
             std::map<std::string, std::pair<std::string, std::string>> formFiles);
  // Puts `request` on record, dropping the oldest requests and bodies past what is kept
  // (lock_ held).
  void record(Request request);
  // A posted comment as the service stores it.
  Answer storedComment(const std::string& posted, bool withThumbnail) const;
  std::optional<std::string> document(const std::string& name) const;
  // The sample video (made at build time, see cmake/ZuSampleVideo.cmake), or none.
  static std::optional<std::string> sampleVideo();
  // The bytes of documents/images/<name>.png, or none.
  std::optional<std::string> picture(const std::string& name) const;
  // A feed of the entries; `extra` goes before them (feed-level elements).
  std::string entriesFeed(const std::string& id, const std::string& title,
                          const std::vector<std::string>& entries,
                          const std::string& extra = std::string()) const;
  // Every column the subscription routes know: the catalogue's (columns.xml), the recommended
  // microblog column and the custom columns a scope finds (lock_ not held).
  std::vector<std::string> knownColumns() const;
  // The summary of article `id` as the service's lists give it: its entry in a column list of
  // the documents (column-*.xml), or a generated article's ("gen-<n>-<i>"); none for an id no
  // list holds (lock_ not held).
  std::optional<std::string> articleSummary(const std::string& id) const;
  // The text of every catalogue column: the recommended ones (columns.xml) and those the content
  // centre offers beyond them (columns-more.xml).
  std::string catalogueColumns() const;
  // The feed-level favourite record with the count held (lock_ held).
  std::string favoriteCount() const;

  const std::string documentsDir_;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  std::string hostName_ = "127.0.0.1";

  SampleArticleActions articleActions_;  // locks itself

  mutable std::mutex lock_;
  mutable std::condition_variable recorded_;
  std::deque<Request> requests_;
  // The bytes of the bodies and form files on record.
  size_t keptBodyBytes_ = 0;
  std::map<std::string, int> statusForPath_;
  std::map<std::string, std::string> documentOverrides_;
  // The documents folder's files as read the first time they were found (the folder does not
  // change while the service runs; a name not found is not kept), and each generated list's feed with its ETag: the
  // answers of a refresh are then made without touching the disk or building a list again.
  mutable std::map<std::string, std::optional<std::string>> documentFiles_;
  mutable std::map<std::string, std::pair<std::string, std::string>> generatedLists_;
  std::map<std::string, int> loginRefusals_;
  std::map<std::string, int> responseDelays_;
  std::set<std::string> heldPrefixes_;
  bool stopping_ = false;
  int inFlight_ = 0;
  int maxInFlight_ = 0;
  std::map<std::string, std::pair<std::string, std::string>> files_;  // path -> (bytes, type)
  std::map<std::string, size_t> cutAfter_;
  std::vector<std::string> subscriptions_;
  // Posted reviews in order: (column id, the review as stored).
  std::vector<std::pair<std::string, std::string>> reviews_;
  // The reader's last rating of each column (column id -> value), listed with the reader's
  // reviews of it.
  std::map<std::string, std::string> ratings_;
  int64_t subscriptionOrderTime_ = 0;
  // Favourite id -> the entry kept: the article's summary (articleSummary), else as posted.
  std::vector<std::pair<std::string, std::string>> favorites_;
  // Comments posted to articles, listed first and deletable.
  SampleComments comments_;
  SampleProfile profile_;
  // Uploaded profile icons by picture name ("icon-<hash>"), served at "/img/<name>.png".
  std::map<std::string, std::string> icons_;
  // The short links given out ("/s/<code>"): code -> the address each leads to.
  std::map<std::string, std::string> shortLinks_;
  // The open platforms 1 to 6 of the accounts screen (locks itself).
  SamplePlatforms platforms_;
};

}  // namespace zu
