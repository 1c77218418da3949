#include "platform/web/CookieStorage.h"

#include <wpe/webkit.h>

#include <algorithm>

#include "platform/runtime/RunLoop.h"
#include "platform/web/WebEngine.h"
#include "platform/web/WebView.h"

namespace zu::web {

namespace {

using SitesDone = std::function<void(std::vector<std::string>)>;

void answerOnMain(SitesDone done, std::vector<std::string> sites) {
  if (!done) return;
  RunLoop::main()->post([done = std::move(done), sites = std::move(sites)] { done(sites); });
}

struct Fetch {
  std::string fragment;
  bool remove = false;
  SitesDone done;
  std::vector<std::string> sites;
};

void onFetched(GObject* source, GAsyncResult* result, gpointer data) {
  auto* fetch = static_cast<Fetch*>(data);
  auto* manager = WEBKIT_WEBSITE_DATA_MANAGER(source);
  GList* records = webkit_website_data_manager_fetch_finish(manager, result, nullptr);
  GList* matching = nullptr;
  for (GList* it = records; it; it = it->next) {
    auto* record = static_cast<WebKitWebsiteData*>(it->data);
    const char* name = webkit_website_data_get_name(record);
    if (!name || (fetch->remove && !CookieStorage::siteMatches(name, fetch->fragment))) continue;
    fetch->sites.push_back(name);
    matching = g_list_prepend(matching, record);
  }
  std::sort(fetch->sites.begin(), fetch->sites.end());
  if (fetch->remove && matching) {
    // The answer goes out once the engine has removed them.
    webkit_website_data_manager_remove(
        manager, WEBKIT_WEBSITE_DATA_COOKIES, matching, nullptr,
        [](GObject* src, GAsyncResult* res, gpointer data) {
          auto* removal = static_cast<Fetch*>(data);
          webkit_website_data_manager_remove_finish(WEBKIT_WEBSITE_DATA_MANAGER(src), res,
                                                    nullptr);
          answerOnMain(std::move(removal->done), std::move(removal->sites));
          delete removal;
        },
        fetch);
  } else {
    answerOnMain(std::move(fetch->done), std::move(fetch->sites));
    delete fetch;
  }
  g_list_free(matching);
  g_list_free_full(records, reinterpret_cast<GDestroyNotify>(webkit_website_data_unref));
}

void fetchSites(Fetch* fetch) {
  // Web views that are the recording stand-in keep no cookies: the engine is not started for them.
  WebEngine* engine = WebView::usesEngine() ? WebEngine::shared() : nullptr;
  if (!engine) {
    answerOnMain(std::move(fetch->done), {});
    delete fetch;
    return;
  }
  engine->post([engine, fetch] {
    WebKitWebsiteDataManager* manager = webkit_web_context_get_website_data_manager(engine->context());
    webkit_website_data_manager_fetch(manager, WEBKIT_WEBSITE_DATA_COOKIES, nullptr, onFetched,
                                      fetch);
  });
}

}  // namespace

CookieStorage& CookieStorage::shared() {
  static CookieStorage storage;
  return storage;
}

bool CookieStorage::siteMatches(const std::string& site, const std::string& fragment) {
  if (site.empty() || fragment.empty()) return false;
  if (site.find(fragment) != std::string::npos) return true;
  // The fragment is a host of the site: the site itself or one of its subdomains.
  if (fragment == site) return true;
  return fragment.size() > site.size() &&
         fragment.compare(fragment.size() - site.size(), site.size(), site) == 0 &&
         fragment[fragment.size() - site.size() - 1] == '.';
}

void CookieStorage::sites(std::function<void(std::vector<std::string>)> done) {
  fetchSites(new Fetch{std::string(), false, std::move(done), {}});
}

void CookieStorage::deleteCookiesForDomain(const std::string& fragment,
                                           std::function<void(std::vector<std::string>)> done) {
  if (fragment.empty()) {
    answerOnMain(std::move(done), {});
    return;
  }
  fetchSites(new Fetch{fragment, true, std::move(done), {}});
}

}  // namespace zu::web
