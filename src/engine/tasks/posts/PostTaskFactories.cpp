// The facade's factories of the post-request, favourite, comment, short-link and profile tasks
// (DataEngine members, kept beside the tasks they make). Each builds its request document and
// picks the task; an unusable argument gives an ErrorTask instead.
#include "common/DateUtil.h"
#include "common/Log.h"
#include "common/UrlEncode.h"
#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/tasks/posts/GetShortUrlTask.h"
#include "engine/tasks/posts/GetUserInfoTask.h"
#include "engine/tasks/articles/LocalAddEntryTask.h"
#include "engine/tasks/articles/LocalDeleteEntryTask.h"
#include "engine/tasks/posts/PostRequestForEntryInFeedTask.h"
#include "engine/tasks/posts/PostRequestResultInFeedTask.h"
#include "engine/tasks/posts/PostRequestTask.h"
#include "engine/tasks/support/TaskUtil.h"
#include "engine/tasks/posts/UpdateUserInfoTask.h"
#include "model/entry/Entry.h"
#include "model/entry/Link.h"
#include "model/columns/UserInfo.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "platform/device/DeviceProfile.h"

namespace zu {

namespace {

// The URL table's entry, or nullopt before the table exists.
template <typename Getter>
std::optional<std::string> serviceUrl(Getter getter) {
  auto urls = gUrlManager();
  return urls ? ((*urls).*getter)() : std::nullopt;
}

}  // namespace

std::shared_ptr<Task> DataEngine::createPostRequestTask(const Text& url,
                                                        const std::optional<Bytes>& reqData) {
  return std::make_shared<PostRequestTask>(url, reqData);
}

std::shared_ptr<Task> DataEngine::createPostRequestForEntryTask(const Text& url,
                                                                const std::optional<Bytes>& reqData,
                                                                int entryType) {
  return std::make_shared<PostRequestForEntryTask>(url, reqData, entryType);
}

std::shared_ptr<Task> DataEngine::createGetUserInfoTask(const Text& username) {
  if (!username) {
    VESKLogImpl("remoteGetUserInfo aUsername=nil");
    return createErrorTask(kErrInvalidArg);
  }
  return std::make_shared<GetUserInfoTask>(createUserInfoUrl(username));
}

std::shared_ptr<Task> DataEngine::createUpdateUserInfoTask(
    const std::shared_ptr<UserInfo>& userInfo, const Text& iconLocalPath) {
  if (!userInfo) {
    VESKLogImpl("createUpdateUserInfoTask aUserInfo=nil");
    return createErrorTask(kErrInvalidArg);
  }
  if (isAnonymous()) {
    VESKLogImpl("createUpdateUserInfoTask _username=nil");
    return createErrorTask(kErrBadState);
  }
  if (iconLocalPath && userInfo->icon()) {
    VESKLogImpl("createUpdateUserInfoTask update icon conflict");
    return createErrorTask(kErrInvalidArg);
  }
  return std::make_shared<UpdateUserInfoTask>(userInfo, iconLocalPath);
}

std::shared_ptr<Task> DataEngine::createChangePasswordTask(const Text& oldPassword,
                                                           const Text& newPassword) {
  if (!oldPassword || !newPassword) return createErrorTask(kErrInvalidArg);
  return createPostRequestTask(serviceUrl(&UrlManager::changePasswordUrl),
                               VESKAtomBuilder::allocModifyPasswordXML(oldPassword, newPassword));
}

std::shared_ptr<Task> DataEngine::createPostCommentTask(
    const Text& url, const Text& entryId, const Text& title, const Text& content,
    const std::shared_ptr<VeskCustomization>& customization) {
  if (!url || !title || !content) return createErrorTask(kErrInvalidArg);
  std::optional<MicroblogCredentials> credentials;
  if (const int code = microblogCredentials(customization, false, &credentials); code != kErrOk) {
    return createErrorTask(code);
  }
  const int64_t now = DateUtil::currentTimeMillis();
  std::optional<Bytes> body =
      credentials ? VESKAtomBuilder::allocMBlogPostCommentXML(credentials->accessToken,
                                                              credentials->secret, entryId,
                                                              std::nullopt, now, std::nullopt,
                                                              content)
                  : VESKAtomBuilder::allocPostCommentXML(title, entryId, now, std::nullopt,
                                                         content,
                                                         DeviceProfile::uniqueIdentifier());
  return createPostRequestForEntryTask(url, body, kEntryKindComment);
}

std::shared_ptr<Task> DataEngine::createUpdateCommentTask(const std::shared_ptr<Link>& link,
                                                          const Text& commentId, const Text& title,
                                                          const Text& content) {
  const auto href = TaskUtil::hrefOf(link);
  if (!href || !commentId || !title || !content) return createErrorTask(kErrInvalidArg);
  return createPostRequestForEntryTask(
      *href + "?op=edit",
      VESKAtomBuilder::allocModifyCommentXML(title, commentId, DateUtil::currentTimeMillis(),
                                             getUsername(), content, std::nullopt,
                                             DeviceProfile::uniqueIdentifier()),
      kEntryKindComment);
}

std::shared_ptr<Task> DataEngine::createDeleteCommentTask(
    const Text& commentId, const std::shared_ptr<Link>& link,
    const std::shared_ptr<VeskCustomization>& customization) {
  const auto href = TaskUtil::hrefOf(link);
  if (!href) return createErrorTask(kErrInvalidArg);
  std::optional<MicroblogCredentials> credentials;
  if (const int code = microblogCredentials(customization, false, &credentials); code != kErrOk) {
    return createErrorTask(code);
  }
  if (credentials) {
    return createPostRequestTask(
        href, VESKAtomBuilder::allocPostMblogReqXML(credentials->accessToken, credentials->secret));
  }
  if (!commentId) return createErrorTask(kErrInvalidArg);
  return createPostRequestTask(*href + "?op=del&id=" + UrlEncode::encode(*commentId),
                               std::nullopt);
}

std::shared_ptr<Task> DataEngine::createRepostMBlogTask(
    const std::shared_ptr<Link>& link, const Text& content, bool isComment,
    const std::shared_ptr<VeskCustomization>& customization) {
  const auto href = TaskUtil::hrefOf(link);
  if (!href) return createErrorTask(kErrInvalidArg);
  std::optional<MicroblogCredentials> credentials;
  if (const int code = microblogCredentials(customization, true, &credentials); code != kErrOk) {
    return createErrorTask(code);
  }
  return std::make_shared<PostRequestResultInFeedTask>(
      href, VESKAtomBuilder::allocMBlogDomainRetweetXML(credentials->accessToken,
                                                        credentials->secret, std::nullopt,
                                                        content, isComment ? 1 : 0));
}

std::shared_ptr<Task> DataEngine::createRatingTask(const std::shared_ptr<Link>& link,
                                                   const Text& entryId, float rating) {
  const auto href = TaskUtil::hrefOf(link);
  if (!href || !entryId || !(rating >= 0)) return createErrorTask(kErrInvalidArg);
  return createPostRequestTask(
      href, VESKAtomBuilder::allocPostRankingXML(std::string("."), entryId,
                                                 DateUtil::currentTimeMillis(), getUsername(),
                                                 std::string("."), rating,
                                                 DeviceProfile::uniqueIdentifier()));
}

std::shared_ptr<Task> DataEngine::createBumpTask(const std::shared_ptr<Link>& link,
                                                 const Text& entryId, int bump) {
  const auto href = TaskUtil::hrefOf(link);
  if (!href || !entryId) return createErrorTask(kErrInvalidArg);
  return createPostRequestForEntryTask(
      href,
      VESKAtomBuilder::allocPostBumpXML(std::string("."), entryId, DateUtil::currentTimeMillis(),
                                        getUsername(), std::string("."), bump != 0,
                                        DeviceProfile::uniqueIdentifier()),
      kEntryKindComment);
}

std::shared_ptr<Task> DataEngine::createAddFavoriteNewsSummaryTask(
    const std::shared_ptr<Entry>& entry) {
  if (!entry) return createErrorTask(kErrInvalidArg);
  if (!favoritesUseService()) return std::make_shared<LocalAddEntryTask>(favPersist_, entry);
  auto task = std::make_shared<PostRequestForEntryInFeedTask>(
      serviceUrl(&UrlManager::addFavoriteUrl),
      VESKAtomBuilder::allocAddOrUpdateSubscriptionXML(entry->title(), entry->entryId(),
                                                       std::nullopt),
      kEntryKindNewsSummary);
  task->setAddFavorite(true);
  return task;
}

std::shared_ptr<Task> DataEngine::createDelFavoriteNewsSummaryTask(
    const std::shared_ptr<Entry>& entry) {
  if (!entry || !entry->entryId()) return createErrorTask(kErrInvalidArg);
  if (!favoritesUseService()) {
    return std::make_shared<LocalDeleteEntryTask>(favPersist_, entry->entryId());
  }
  auto task = std::make_shared<PostRequestResultInFeedTask>(
      serviceUrl(&UrlManager::delFavoriteUrl),
      VESKAtomBuilder::allocDeleteSubscriptionXML(entry->entryId()));
  task->setDelFavoriteNews(true);
  return task;
}

std::shared_ptr<Task> DataEngine::createAddFavoriteMBlogTask(
    const Text& url, const std::shared_ptr<VeskCustomization>& customization) {
  if (!url) return createErrorTask(kErrInvalidArg);
  std::optional<MicroblogCredentials> credentials;
  if (const int code = microblogCredentials(customization, true, &credentials); code != kErrOk) {
    return createErrorTask(code);
  }
  return std::make_shared<PostRequestResultInFeedTask>(
      url, VESKAtomBuilder::allocPostMblogReqXML(credentials->accessToken, credentials->secret));
}

std::shared_ptr<Task> DataEngine::createDelFavoriteMBlogTask(
    const Text& url, const std::shared_ptr<VeskCustomization>& customization) {
  return createAddFavoriteMBlogTask(url, customization);
}

std::shared_ptr<Task> DataEngine::createSharingTask(const Text& linkText, const Text& url,
                                                    int sharingType) {
  if (!linkText || !url) return createErrorTask(kErrInvalidArg);
  return createPostRequestForEntryTask(
      url,
      VESKAtomBuilder::allocPostSharingXML(std::string("null"), linkText,
                                           DateUtil::currentTimeMillis(), getUsername(),
                                           std::string("null"), sharingTargetName(sharingType)),
      kEntryKindEntry);
}

std::shared_ptr<Task> DataEngine::createReportIllegalTask(const Text& item, const Text& title,
                                                          const Text& content) {
  return std::make_shared<PostRequestResultInFeedTask>(
      serviceUrl(&UrlManager::reportIllegalUrl),
      VESKAtomBuilder::allocReportIllegalToXML(title, item, DateUtil::currentTimeMillis(),
                                               content, DeviceProfile::uniqueIdentifier()));
}

std::shared_ptr<Task> DataEngine::createGetShortUrlTask(const Text& url) {
  return std::make_shared<GetShortUrlTask>(url, std::nullopt);
}

std::shared_ptr<Task> DataEngine::createGetShortUrlTaskWithArticleId(const Text& articleId) {
  return std::make_shared<GetShortUrlTask>(std::nullopt, articleId);
}

}  // namespace zu
