// Vocabulary: every token of the service's wire format in one place — namespace URIs, element
// and attribute names (local names, as the reader compares them, and the prefixed forms the
// writer emits), link relations (the typed relations of feeds and entries and the 28 endpoint
// relations of the service URL feed), fixed attribute values and the HTTP content types.
// Constants only; usable from any thread. Code that reads or writes the wire format takes its
// names from here instead of spelling them inline.
#pragma once

namespace zu::vocab {

// ---- Namespaces -------------------------------------------------------------------------------

inline constexpr char kAtomNamespaceUri[] = "http://www.w3.org/2005/Atom";
// The product namespace: an address of the service's own domain ending in "/vesk/1.0".
inline constexpr char kVeskNamespaceUri[] = "http://www.vesk.com/vesk/1.0";
inline constexpr char kVeskPrefix[] = "vesk";
inline constexpr char kAttrXmlns[] = "xmlns";
inline constexpr char kAttrXmlnsVesk[] = "xmlns:vesk";
// The product token as the service spells it in documents ("product" of the offline report).
inline constexpr char kProductToken[] = "VESK";

// ---- Content types ----------------------------------------------------------------------------

inline constexpr char kContentTypeAtom[] = "application/atom+xml";
inline constexpr char kContentTypeAtomUtf8[] = "application/atom+xml;charset=utf-8";
inline constexpr char kContentTypeAtomEntry[] = "application/atom+xml;type=entry";
inline constexpr char kContentTypeXml[] = "application/xml";
inline constexpr char kContentTypeFormUrlEncoded[] = "application/x-www-form-urlencoded";
// Followed by the boundary text.
inline constexpr char kContentTypeMultipartPrefix[] = "multipart/form-data; boundary=";
inline constexpr char kContentTypeOctetStream[] = "application/octet-stream";

// ---- Document roots ---------------------------------------------------------------------------

inline constexpr char kElemFeed[] = "feed";
inline constexpr char kElemEntry[] = "entry";
inline constexpr char kElemOk[] = "ok";
inline constexpr char kElemError[] = "error";
inline constexpr char kElemUserinfo[] = "userinfo";
inline constexpr char kElemAds[] = "ads";
inline constexpr char kElemShortUrl[] = "shortUrl";
inline constexpr char kElemFonts[] = "fonts";

// ---- Atom elements (feed and entry) -----------------------------------------------------------

inline constexpr char kElemLink[] = "link";
inline constexpr char kElemId[] = "id";
inline constexpr char kElemTitle[] = "title";
inline constexpr char kElemSubtitle[] = "subtitle";
inline constexpr char kElemSummary[] = "summary";
inline constexpr char kElemUpdated[] = "updated";
inline constexpr char kElemAuthor[] = "author";
inline constexpr char kElemContent[] = "content";
inline constexpr char kElemCategory[] = "category";
inline constexpr char kElemName[] = "name";
inline constexpr char kElemUri[] = "uri";
inline constexpr char kElemEmail[] = "email";

// OpenSearch children of a feed.
inline constexpr char kElemTotalResults[] = "totalResults";
inline constexpr char kElemStartIndex[] = "startIndex";
inline constexpr char kElemItemsPerPage[] = "itemsPerPage";
inline constexpr char kElemQuery[] = "Query";

// ---- Product elements (local names) -----------------------------------------------------------

// Feed level.
inline constexpr char kElemEntryStatus[] = "entry_status";
inline constexpr char kElemFavorite[] = "favorite";
inline constexpr char kElemNotification[] = "notification";
inline constexpr char kElemLayoutformat[] = "layoutformat";
inline constexpr char kElemUrs[] = "urs";
inline constexpr char kElemSubseqUpdated[] = "subseq_updated";
inline constexpr char kElemDevice[] = "device";
inline constexpr char kElemChapter[] = "chapter";
inline constexpr char kElemCatalogVersion[] = "catalogVersion";
inline constexpr char kElemStatcontrol[] = "statcontrol";
inline constexpr char kElemStatC[] = "c";
inline constexpr char kElemDesc[] = "desc";
inline constexpr char kElemReason[] = "reason";
inline constexpr char kElemSoftupdate[] = "softupdate";
inline constexpr char kElemMessages[] = "messages";
inline constexpr char kElemMessage[] = "message";
inline constexpr char kElemAppRecommend[] = "app_recommend";
inline constexpr char kElemApp[] = "app";

// Entry level.
inline constexpr char kElemPagedcontent[] = "pagedcontent";
inline constexpr char kElemRanking[] = "ranking";
inline constexpr char kElemAssess[] = "assess";
inline constexpr char kElemSubscribe[] = "subscribe";
inline constexpr char kElemBook[] = "book";
inline constexpr char kElemBookreviews[] = "bookreviews";
inline constexpr char kElemBookreview[] = "bookreview";
inline constexpr char kElemImageThumbnail[] = "image_thumbnail";
inline constexpr char kElemImageCategory[] = "image_category";
inline constexpr char kElemBump[] = "bump";
inline constexpr char kElemSharing[] = "sharing";
inline constexpr char kElemSync[] = "sync";
inline constexpr char kElemDevinfo[] = "devinfo";
inline constexpr char kElemMblog[] = "mblog";
inline constexpr char kElemCustomization[] = "customization";
inline constexpr char kElemCustomcontent[] = "customcontent";
inline constexpr char kElemXCoverImageDuration[] = "x_cover_image_duration";
inline constexpr char kElemVideoDuration[] = "video_duration";
inline constexpr char kElemLatestaid[] = "latestaid";
inline constexpr char kElemMblogExtra[] = "mblog_extra";
inline constexpr char kElemDetail[] = "detail";
inline constexpr char kElemProfile[] = "profile";
inline constexpr char kElemProfileImage[] = "profile_image";

// Microblog layout.
inline constexpr char kElemLayout[] = "layout";
inline constexpr char kElemUser[] = "user";
inline constexpr char kElemRetweeted[] = "retweeted";
inline constexpr char kElemTranslated[] = "translated";

// Book record of an entry.
inline constexpr char kElemTranslator[] = "translator";
inline constexpr char kElemPublisher[] = "publisher";
inline constexpr char kElemDate[] = "date";
inline constexpr char kElemPrice[] = "price";
inline constexpr char kElemPages[] = "pages";
inline constexpr char kElemBinding[] = "binding";
inline constexpr char kElemIsbn[] = "isbn";
inline constexpr char kElemVip[] = "vip";
inline constexpr char kElemPayment[] = "payment";
inline constexpr char kElemIntegrity[] = "integrity";
inline constexpr char kElemPaytype[] = "paytype";
inline constexpr char kElemKeyname[] = "keyname";

// Pictures of an article.
inline constexpr char kElemExif[] = "exif";
inline constexpr char kElemInfo[] = "info";

// User profile.
inline constexpr char kElemGender[] = "gender";
inline constexpr char kElemIntroduction[] = "introduction";
inline constexpr char kElemIcon[] = "icon";
inline constexpr char kElemLabels[] = "labels";
inline constexpr char kElemLabel[] = "label";

// Book catalogue.
inline constexpr char kElemSection[] = "section";
inline constexpr char kElemIndexid[] = "indexid";
inline constexpr char kElemMd5[] = "md5";
inline constexpr char kElemPageinfos[] = "pageinfos";
inline constexpr char kElemPageinfo[] = "pageinfo";
inline constexpr char kElemAllowpreview[] = "allowpreview";

// Fonts and advertisements.
inline constexpr char kElemFont[] = "font";
inline constexpr char kElemUrl[] = "url";
inline constexpr char kElemLength[] = "length";
inline constexpr char kElemAd[] = "ad";
inline constexpr char kElemPublished[] = "published";
inline constexpr char kElemExpires[] = "expires";
inline constexpr char kElemImg[] = "img";

// ---- Elements only written by the client -------------------------------------------------------

inline constexpr char kElemMblogreq[] = "mblogreq";
inline constexpr char kElemAuth[] = "auth";
inline constexpr char kElemToken[] = "token";
inline constexpr char kElemTokenSecret[] = "token_secret";
inline constexpr char kElemCid[] = "cid";
inline constexpr char kElemIsComment[] = "is_comment";
inline constexpr char kElemType[] = "type";
inline constexpr char kElemComment[] = "comment";
inline constexpr char kElemLimits[] = "limits";
inline constexpr char kElemReports[] = "reports";
inline constexpr char kElemAccount[] = "account";
inline constexpr char kElemOs[] = "os";
inline constexpr char kElemOsVersion[] = "os_version";
inline constexpr char kElemVer[] = "ver";
inline constexpr char kElemProduct[] = "product";
inline constexpr char kElemOfflineReport[] = "offline_report";
inline constexpr char kElemNet[] = "net";
inline constexpr char kElemSources[] = "sources";
inline constexpr char kElemSource[] = "source";
inline constexpr char kElemHide[] = "hide";
inline constexpr char kElemTimes[] = "times";
inline constexpr char kElemResult[] = "result";
inline constexpr char kElemSubSources[] = "sub_sources";
inline constexpr char kElemErrors[] = "errors";
inline constexpr char kElemHttp[] = "http";
inline constexpr char kElemOld[] = "old";
inline constexpr char kElemNew[] = "new";

// Product elements as the writer spells them (prefix included, no namespace object).
inline constexpr char kVeskElemPagedcontent[] = "vesk:pagedcontent";
inline constexpr char kVeskElemRanking[] = "vesk:ranking";
inline constexpr char kVeskElemAssess[] = "vesk:assess";
inline constexpr char kVeskElemSubscribe[] = "vesk:subscribe";
inline constexpr char kVeskElemImageThumbnail[] = "vesk:image_thumbnail";
inline constexpr char kVeskElemBump[] = "vesk:bump";
inline constexpr char kVeskElemSharing[] = "vesk:sharing";
inline constexpr char kVeskElemSync[] = "vesk:sync";
inline constexpr char kVeskElemEntryStatus[] = "vesk:entry_status";
inline constexpr char kVeskElemCustomization[] = "vesk:customization";
inline constexpr char kVeskElemMblog[] = "vesk:mblog";
inline constexpr char kVeskElemBook[] = "vesk:book";
inline constexpr char kVeskElemBookreviews[] = "vesk:bookreviews";
inline constexpr char kVeskElemDevinfo[] = "vesk:devinfo";
inline constexpr char kVeskElemStatcontrol[] = "vesk:statcontrol";
inline constexpr char kVeskElemMblogreq[] = "vesk:mblogreq";
inline constexpr char kVeskElemAppRecommend[] = "vesk:app_recommend";

// ---- Attributes -------------------------------------------------------------------------------

// Link.
inline constexpr char kAttrRel[] = "rel";
inline constexpr char kAttrType[] = "type";
inline constexpr char kAttrHreflang[] = "hreflang";
inline constexpr char kAttrHref[] = "href";
inline constexpr char kAttrTitle[] = "title";
inline constexpr char kAttrLength[] = "length";
inline constexpr char kAttrIsdefaultpic[] = "isdefaultpic";
inline constexpr char kAttrAutodownload[] = "autodownload";
inline constexpr char kAttrVendor[] = "vendor";
inline constexpr char kAttrHrefForSelected[] = "hrefForSelected";

// Content, category.
inline constexpr char kAttrSrc[] = "src";
inline constexpr char kAttrLabel[] = "label";
inline constexpr char kAttrTerm[] = "term";
inline constexpr char kAttrGetnext[] = "getnext";
inline constexpr char kAttrScheme[] = "scheme";
inline constexpr char kAttrIscustomcontent[] = "iscustomcontent";
inline constexpr char kAttrCount[] = "count";

// OpenSearch query.
inline constexpr char kAttrRole[] = "role";
inline constexpr char kAttrSearchTerms[] = "searchTerms";
inline constexpr char kAttrStartPage[] = "startPage";

// Extension records.
inline constexpr char kAttrMinValue[] = "min-value";
inline constexpr char kAttrMaxValue[] = "max-value";
inline constexpr char kAttrValue[] = "value";
inline constexpr char kAttrTimes[] = "times";
inline constexpr char kAttrMinLength[] = "min-length";
inline constexpr char kAttrMaxLength[] = "max-length";
inline constexpr char kAttrMaxCount[] = "max-count";
inline constexpr char kAttrSubscribable[] = "subscribable";
inline constexpr char kAttrSubscribed[] = "subscribed";
inline constexpr char kAttrUpdatefrequency[] = "updatefrequency";
inline constexpr char kAttrWidth[] = "width";
inline constexpr char kAttrHeight[] = "height";
inline constexpr char kAttrAction[] = "action";
inline constexpr char kAttrCollectable[] = "collectable";
inline constexpr char kAttrCollected[] = "collected";
inline constexpr char kAttrRead[] = "read";
inline constexpr char kAttrStyle[] = "style";
inline constexpr char kAttrMultilayer[] = "multilayer";
inline constexpr char kAttrInterval[] = "interval";
inline constexpr char kAttrId[] = "id";
inline constexpr char kAttrName[] = "name";
inline constexpr char kAttrProfileImgUrl[] = "profile_img_url";
inline constexpr char kAttrSearchHref[] = "search_href";
inline constexpr char kAttrGroupmode[] = "groupmode";
inline constexpr char kAttrSelf[] = "self";
inline constexpr char kAttrSubHref[] = "sub_href";

// Feed-level records.
inline constexpr char kAttrNewVersion[] = "new_version";
inline constexpr char kAttrUpdated[] = "updated";
inline constexpr char kAttrImg[] = "img";
inline constexpr char kAttrDisplaymin[] = "displaymin";
inline constexpr char kAttrDisplaymax[] = "displaymax";
inline constexpr char kAttrWifionly[] = "wifionly";
inline constexpr char kAttrK[] = "k";
inline constexpr char kAttrV[] = "v";

// Pictures of an article.
inline constexpr char kAttrAHref[] = "a_href";
inline constexpr char kAttrAWidth[] = "a_width";
inline constexpr char kAttrAHeight[] = "a_height";
inline constexpr char kAttrSeq[] = "seq";
inline constexpr char kAttrKey[] = "key";

// Book catalogue.
inline constexpr char kAttrLandscapePages[] = "landscape_pages";
inline constexpr char kAttrPortraitPages[] = "portrait_pages";
inline constexpr char kAttrFontsize[] = "fontsize";

// Advertisements.
inline constexpr char kAttrLoop[] = "loop";
inline constexpr char kAttrDuration[] = "duration";

// Only written by the client.
inline constexpr char kAttrCode[] = "code";

// ---- Fixed attribute and element values -------------------------------------------------------

inline constexpr char kFlagTrue[] = "1";
inline constexpr char kFlagFalse[] = "0";

// Content types of an Atom content element.
inline constexpr char kContentKindText[] = "text";
inline constexpr char kContentKindHtml[] = "html";
inline constexpr char kContentKindXhtml[] = "xhtml";
inline constexpr char kContentKindMime[] = "mime";

inline constexpr char kGenderMale[] = "male";
inline constexpr char kGenderFemale[] = "female";
inline constexpr char kDeviceIpad[] = "ipad";
inline constexpr char kBumpUp[] = "up";
inline constexpr char kBumpDown[] = "down";
inline constexpr char kUserinfoTypeUpdate[] = "update";
inline constexpr char kUserinfoTypeModifyPassword[] = "modifypassword";

// Entry status type words.
inline constexpr char kStatusNews[] = "news";
inline constexpr char kStatusAlbum[] = "album";
inline constexpr char kStatusPicNews[] = "pic_news";
inline constexpr char kStatusVideo[] = "video";
inline constexpr char kStatusAudio[] = "audio";
inline constexpr char kStatusMblog[] = "mblog";
inline constexpr char kStatusIstyle[] = "istyle";
inline constexpr char kStatusForum[] = "forum";
inline constexpr char kStatusEnglish[] = "english";
inline constexpr char kStatusBook[] = "book";

// Custom subscription types.
inline constexpr char kCustomZelvaneMblog[] = "zelvanemblog";
inline constexpr char kCustomSinaMblog[] = "sinamblog";
inline constexpr char kCustomQqMblog[] = "qqmblog";
inline constexpr char kCustomSohuMblog[] = "sohumblog";
inline constexpr char kCustomQqZone[] = "qqzone";
inline constexpr char kCustomRss[] = "rss";

// ---- Link relations of feeds and entries ------------------------------------------------------

inline constexpr char kRelSelf[] = "self";
inline constexpr char kRelAlternate[] = "alternate";
inline constexpr char kRelSearch[] = "search";
inline constexpr char kRelAd[] = "ad";
inline constexpr char kRelCoverImageVertical[] = "x-cover-image-vertical";
inline constexpr char kRelCoverImageHorizontal[] = "x-cover-image-horizontal";
inline constexpr char kRelStanzaCoverImage[] = "x-stanza-cover-image";
inline constexpr char kRelStanzaCoverImageThumbnail[] = "x-stanza-cover-image-thumbnail";
inline constexpr char kRelBuy[] = "buy";
inline constexpr char kRelInfoGet[] = "vesk_infoGet";
inline constexpr char kRelEdit[] = "edit";
inline constexpr char kRelEditMedia[] = "editMedia";
inline constexpr char kRelComments[] = "comments";
inline constexpr char kRelCatalog[] = "catalog";
inline constexpr char kRelBookDetail[] = "book_detail";
inline constexpr char kRelBookreview[] = "bookreview";
inline constexpr char kRelBookContent[] = "book_content";
inline constexpr char kRelRelated[] = "related";
inline constexpr char kRelWeibo[] = "weibo";
inline constexpr char kRelSubPreview[] = "sub_preview";
inline constexpr char kRelPrevious[] = "previous";
inline constexpr char kRelNext[] = "next";
inline constexpr char kRelFirst[] = "first";
inline constexpr char kRelLast[] = "last";
inline constexpr char kRelPageinfo[] = "pageinfo";
inline constexpr char kRelRelative[] = "relative";
inline constexpr char kRelEnclosure[] = "enclosure";
inline constexpr char kRelVia[] = "via";
inline constexpr char kRelVeskExtra[] = "vesk_extra";
inline constexpr char kRelVesk[] = "vesk";
inline constexpr char kRelCheckfavorite[] = "checkfavorite";
inline constexpr char kRelWritedbooks[] = "writedbooks";
inline constexpr char kRelMblogAddfavorite[] = "mblog_addfavorite";
inline constexpr char kRelMblogDelfavorite[] = "mblog_delfavorite";
inline constexpr char kRelMblogRepost[] = "mblog_repost";
inline constexpr char kRelBuyHardcopy[] = "buy_hardcopy";

// ---- Endpoint relations of the service URL feed (declared order of the URL table) ------------

inline constexpr char kRelSubGet[] = "vesk_subGet";
inline constexpr char kRelSubList[] = "vesk_subList";
inline constexpr char kRelSubRecommend[] = "vesk_subRecommend";
inline constexpr char kRelSubAdd[] = "vesk_subAdd";
inline constexpr char kRelSubDel[] = "vesk_subDel";
inline constexpr char kRelSubUpdate[] = "vesk_subUpdate";
inline constexpr char kRelUserGet[] = "vesk_userGet";
inline constexpr char kRelUserModifyPassword[] = "vesk_userModifyPassword";
inline constexpr char kRelCommentDel[] = "vesk_commentDel";
inline constexpr char kRelFavoriteGet[] = "vesk_favoriteGet";
inline constexpr char kRelFavoriteDel[] = "vesk_favoriteDel";
inline constexpr char kRelFavoriteAdd[] = "vesk_favoriteAdd";
inline constexpr char kRelSharingReport[] = "vesk_sharingReport";
inline constexpr char kRelIllegalReport[] = "vesk_illegalReport";
inline constexpr char kRelUserModifyInfo[] = "vesk_userModifyInfo";
inline constexpr char kRelUserModifyIcon[] = "vesk_userModifyIcon";
inline constexpr char kRelLogin[] = "vesk_login";
inline constexpr char kRelSubRefresh[] = "vesk_subRefresh";
inline constexpr char kRelCoverImage[] = "vesk_coverImage";
inline constexpr char kRelSubGetSummary[] = "vesk_subGetSummary";
inline constexpr char kRelStatisticsReport[] = "vesk_statisticsReport";
// kRelInfoGet ("vesk_infoGet") above is both a feed relation and endpoint 22.
inline constexpr char kRelSaveSubSequence[] = "vesk_SaveSubSequence";
inline constexpr char kRelFont[] = "vesk_font";
inline constexpr char kRelSearchEngine[] = "vesk_searchEngine";
inline constexpr char kRelErrReport[] = "vesk_errReport";
inline constexpr char kRelShortUrl[] = "vesk_shortUrl";
inline constexpr char kRelFavoriteSearch[] = "vesk_favoriteSearch";

inline constexpr const char* kServiceUrlRelations[28] = {
    kRelSubGet,          kRelSubList,           kRelSubRecommend,    kRelSubAdd,
    kRelSubDel,          kRelSubUpdate,         kRelUserGet,         kRelUserModifyPassword,
    kRelCommentDel,      kRelFavoriteGet,       kRelFavoriteDel,     kRelFavoriteAdd,
    kRelSharingReport,   kRelIllegalReport,     kRelUserModifyInfo,  kRelUserModifyIcon,
    kRelLogin,           kRelSubRefresh,        kRelCoverImage,      kRelSubGetSummary,
    kRelStatisticsReport, kRelInfoGet,          kRelSaveSubSequence, kRelFont,
    kRelSearchEngine,    kRelErrReport,         kRelShortUrl,        kRelFavoriteSearch,
};

}  // namespace zu::vocab
