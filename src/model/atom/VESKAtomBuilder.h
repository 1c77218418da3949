// VESKAtomBuilder: writes every XML document the client sends to the service, the stored entry
// XML the entry store keeps (allocEntryToXML / allocEntryToXMLNode; read back with
// VESKAtomParser::allocParseEntry), and three documents kept locally (the profile with its
// limits, the recommended applications, the column order).
//
// Static functions only, no state: safe on any thread, each call builds, serialises and frees
// its own libxml2 tree. Results are new values owned by the caller.
//
// Output rules shared by every document:
//   - A whole document is `<?xml version="1.0" encoding="utf-8"?>`, a line feed, the root
//     element with no indentation, a line feed. The recommended applications and the column
//     order are the root element alone, indented two spaces per level, no final line feed.
//   - Product names are written as plain prefixed names ("vesk:ranking"); the prefix is
//     declared by an ordinary "xmlns:vesk" attribute on the roots that carry it.
//   - Every element text and attribute value is escaped, so any text ("&", "<" included) reads
//     back unchanged. A character XML 1.0 cannot carry (control characters other than tab, line
//     feed and carriage return, malformed UTF-8, U+FFFE/U+FFFF) is written as U+FFFD, so the
//     document always reads back.
//   - Numbers are formatted in the C locale whatever the process locale: "%d" integers, ratings
//     "%3.1f", the book price "%f"; times in RFC 3339 in UTC+8.
//   - Free texts (titles, names, content) given as "" are written `<title></title>`; other
//     values given as "" or absent where the element is always written come out `<id/>`.
//
// Arguments that a document requires: when absent the function logs one line through
// VESKLogImpl ("VESKAtomBuilder: <function> <argument> not specified") and returns nullopt
// (a null node). Documents without required arguments never fail.
//
// Texts are std::optional<std::string> (nullopt = not given); model objects are passed as
// nullable, non-owning pointers, only read during the call.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/Value.h"
#include "platform/xml/XmlHolders.h"

namespace zu {

class Entry;
class Feed;
class UserInfo;
class VeskAppRecommend;
class VeskCustomization;

class VESKAtomBuilder {
 public:
  using Text = std::optional<std::string>;
  using TextList = std::optional<std::vector<std::string>>;
  using EntryList = std::optional<std::vector<std::shared_ptr<Entry>>>;

  VESKAtomBuilder() = delete;

  // ---- Subscriptions (root "feed") ----------------------------------------------------------

  // Adds or updates one subscription: "entry" holding "title", "id", [devinfo]. Requires title
  // and id.
  static std::optional<Bytes> allocAddOrUpdateSubscriptionXML(const Text& title,
                                                              const Text& entryId,
                                                              const Text& devinfo);
  // As above with ["vesk:customization" type/id] between "title" and "id".
  static std::optional<Bytes> allocAddOrUpdateSubscriptionXML(
      const Text& title, const Text& entryId, const VeskCustomization* customization,
      const Text& devinfo);
  // One "entry" with "title" and "id" per entry, in order. Requires the list.
  static std::optional<Bytes> allocAddOrUpdateSubscriptionXML(const EntryList& entries);
  static std::optional<Bytes> allocDeleteSubscriptionXML(const Text& entryId);
  // One "entry" with "id" per id, in order; an empty list gives an empty "feed". Requires the
  // list.
  static std::optional<Bytes> allocDeleteSubscriptionBatchXML(const TextList& entryIds);

  // ---- Comments, rating, bump, sharing (root "entry" with Atom and product namespaces) ------

  // ["title"], "id", ["updated" when above 0], ["author"/"name"], ["content"], [devinfo].
  // All of this family require the id.
  static std::optional<Bytes> allocPostCommentXML(const Text& title, const Text& entryId,
                                                  int64_t updated, const Text& authorName,
                                                  const Text& content, const Text& devinfo);
  // The comment document, then "link" rel "edit" [href = editHref] (always written).
  static std::optional<Bytes> allocModifyCommentXML(const Text& title, const Text& entryId,
                                                    int64_t updated, const Text& authorName,
                                                    const Text& content, const Text& editHref,
                                                    const Text& devinfo);
  // "vesk:ranking" value="%3.1f" after the content, only for a rating that is a number >= 0.
  static std::optional<Bytes> allocPostRankingXML(const Text& title, const Text& entryId,
                                                  int64_t updated, const Text& authorName,
                                                  const Text& content, float rating,
                                                  const Text& devinfo);
  // "vesk:bump" action "up" / "down" after the content.
  static std::optional<Bytes> allocPostBumpXML(const Text& title, const Text& entryId,
                                               int64_t updated, const Text& authorName,
                                               const Text& content, bool up,
                                               const Text& devinfo);
  // ["vesk:sharing" action] after the content; no devinfo.
  static std::optional<Bytes> allocPostSharingXML(const Text& title, const Text& entryId,
                                                  int64_t updated, const Text& authorName,
                                                  const Text& content, const Text& action);
  // Root "feed" (Atom and product namespaces): "entry" holding ["title"], "id", ["updated"],
  // ["content"]; then [devinfo] as a child of the feed.
  static std::optional<Bytes> allocReportIllegalToXML(const Text& title, const Text& entryId,
                                                      int64_t updated, const Text& content,
                                                      const Text& devinfo);

  // ---- Entries and feeds --------------------------------------------------------------------

  // A bare "feed" holding the stored entry element of each of the feed's entries, then
  // "vesk:statcontrol" when the feed has one. A null feed gives an empty "feed".
  static Bytes allocFeedToXML(const Feed* feed);
  // The stored entry element of `entry`, detached (not in any document): the caller links it
  // into a document or lets the holder free it. Null for a null entry (logged).
  static XmlNodePtr allocEntryToXMLNode(const Entry* entry);
  // The stored entry document of `entry` (what the entry store keeps in its row). Nullopt for
  // a null entry (logged).
  static std::optional<Bytes> allocEntryToXML(const Entry* entry);

  // ---- User profile (root "userinfo") -------------------------------------------------------

  // The profile update: `type` (or "update"), [icon], [name], [email], [gender], [introduction],
  // [labels], [updated]. Requires the profile.
  static std::optional<Bytes> allocUpdateUserInfoXML(const UserInfo* userInfo);
  // The locally kept profile: as the update, with the length and count limits, and `type`
  // only when the profile has one. Requires the profile.
  static std::optional<Bytes> allocUserinfoToXML(const UserInfo* userInfo);
  // type="modifypassword" holding "old" and "new". Requires both.
  static std::optional<Bytes> allocModifyPasswordXML(const Text& oldPassword,
                                                     const Text& newPassword);

  // ---- Microblog requests: "vesk:mblogreq"/"auth"/["token"]["token_secret"] first ------------
  // None of these checks its arguments.

  static Bytes allocPostMblogReqXML(const Text& token, const Text& tokenSecret);
  static Bytes allocPostMblogReqWithIdXML(const Text& token, const Text& tokenSecret,
                                          const Text& entryId);
  static Bytes allocAddIndividualMBlogXML(const Text& token, const Text& tokenSecret,
                                          const Text& entryId, const Text& customizationType);
  static Bytes allocAddCustomMBlogXML(const Text& token, const Text& tokenSecret,
                                      const Text& title, const Text& entryId,
                                      const Text& customizationType,
                                      const Text& customizationId);
  static Bytes allocMBlogGetCommentXML(const Text& token, const Text& tokenSecret);
  static Bytes allocMBlogPostCommentXML(const Text& token, const Text& tokenSecret,
                                        const Text& entryId, const Text& commentId,
                                        int64_t updated, const Text& authorName,
                                        const Text& content);
  static Bytes allocMBlogDomainRetweetXML(const Text& token, const Text& tokenSecret,
                                          const Text& entryId, const Text& content,
                                          int32_t isComment);

  // ---- Other documents ----------------------------------------------------------------------

  // Root "comment" holding "limits".
  static Bytes allocQueryCommentXML(int32_t limit);
  // Root "reports": the offline download report.
  static Bytes allocOfflineReportToXML(const Text& account, const Text& uniqueId,
                                       const Text& os, const Text& osVersion,
                                       const Text& clientVersion, int32_t network,
                                       const TextList& sources, int32_t hideTimes,
                                       int32_t result);
  // The recommended applications as the root node alone, indented (no declaration).
  static std::string allocVeskAppRecommendToXML(const VeskAppRecommend* recommend);
  // The column order: "sub_sources" holding one "id" per column id, root node alone, indented.
  // Requires the list.
  static std::optional<Bytes> allocSaveSubSequenceToXML(const TextList& columnIds);
  // Root "errors" holding "http" (text: `text`) with [code] [href].
  static Bytes allocStaticsReportErrorsXML(const Text& code, const Text& href, const Text& text);

  // Throws VESKAtomBuilderException with `description` as its reason (the code is dropped).
  // Kept for broken invariants only; no caller reports a failure this way.
  [[noreturn]] static void failWithErrorCode(int32_t code, const std::string& description);
};

}  // namespace zu
