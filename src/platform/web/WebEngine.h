// WebEngine: the process's one web engine (WPE WebKit with the fdo backend exporting frames in
// shared memory, so nothing needs a GPU or a display). It owns the thread "web" that turns
// GLib's default main context — every engine call is made there — the engine's context with
// its cookie store and website data (in memory), the private scheme through which pages
// get their sub-resource elements from the WebResourceProvider and files of the bundle and the
// downloaded fonts, and the web-process extension that sends those elements to that scheme.
//
// The private scheme (see PrivateResourceUrl) answers only pages the client built: an address
// the extension signed for the very page that asks, or a local file the page was written with,
// and refuses everything else. It never serves a page's document, and never a request that
// names its origin (one in CORS mode: XMLHttpRequest, fetch, a module script — the engine does
// not hold a scheme of ours to CORS, so such an answer could be read), so no page's script can
// read what it serves, a bundle file included. A page from elsewhere gets nothing of it (see
// WebResourceProvider). Of a page's elements only those it names itself
// (setNamedResources) may come from the provider's cache; the rest come from the network. A page
// that asks for a signed address itself (one a script read from its own stack, say) is
// cancelled by the extension: signed addresses reach the scheme only from its rewriting.
//
// Every context's pages go through the desktop's proxy, the answer DesktopProxy holds when the
// context is made (the client resolves it at start-up, before the engine starts), as libcurl's
// transfers do.
//
// No page ever saves a file: each page shows a response only when it can and the server does
// not ask for it to be saved (EnginePage), and a download the engine starts anyway is cancelled
// before it has a destination. The engine keeps no file of its own: its website data, caches and
// cookies live in memory for the run (see LibraryFolders for the libraries under it).
//
// Made on first use of shared() and kept until the process ends (the engine cannot be shut
// down and started again in one process). shared() returns null, and logs why once, when the
// engine cannot start; views then stay blank, their loads fail and their scripts answer "".
//
// Ending the process: the engine's thread must not run while the process's static objects are
// destroyed (the engine's own among them). park() stops it for good: the thread finishes what
// it is doing and then waits forever, and nothing posted afterwards runs. A program that used
// the engine calls it before returning from main; an exit handler registered when the engine
// starts calls it too, for exits that do not pass there.
//
// Threads: shared(), post() and park() from any thread; context(), newEphemeralContext() and
// everything posted run on the "web" thread. Work posted runs in the order it was posted. The
// private scheme's requests are answered on a thread of their own, "web-resources" (the resource
// provider's and the local files'), so a page never waits for the main thread to draw its
// frames.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct _WebKitWebContext WebKitWebContext;
typedef struct _WebKitURISchemeRequest WebKitURISchemeRequest;
typedef struct _WebKitWebView WebKitWebView;

namespace zu {
class Thread;
}

namespace zu::web {

class NamedResources;

class WebEngine {
 public:
  static WebEngine* shared();

  WebEngine(const WebEngine&) = delete;
  WebEngine& operator=(const WebEngine&) = delete;

  void post(std::function<void()> fn);
  // Any thread but "web"; returns once the thread is parked (or after a few seconds). Does
  // nothing when the engine never started.
  static void park();
  WebKitWebContext* context() const { return context_; }
  // A new context as context() is — its website data, caches and cookies in memory, with the
  // private scheme, the extension and the refusal of downloads — for a page that shares nothing
  // with the others (the authorisation page's). The caller owns the reference; a view holds its
  // context, which ends (with its processes) when the last of them goes.
  WebKitWebContext* newEphemeralContext();
  // The addresses the page `view` is loading names itself (null: none), until the next call;
  // web thread.
  static void setNamedResources(WebKitWebView* view, std::shared_ptr<const NamedResources> named);

 private:
  WebEngine() = default;
  // On the web thread: loads the backend, makes the context. False (with a log line) on failure.
  bool start();
  // On the web thread: one request for the private scheme.
  void answer(WebKitURISchemeRequest* request);
  static void onSchemeRequest(WebKitURISchemeRequest* request, void* self);

  std::mutex mutex_;
  std::condition_variable parkedChanged_;
  bool parked_ = false;
  std::vector<std::function<void()>> queue_;
  WebKitWebContext* context_ = nullptr;
  std::shared_ptr<Thread> resources_;
  // Signs the private scheme's element addresses; shared with the web-process extension only.
  std::string key_;
};

}  // namespace zu::web
