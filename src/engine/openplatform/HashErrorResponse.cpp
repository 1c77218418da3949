#include "engine/openplatform/HashErrorResponse.h"

#include <cstdlib>

#include "engine/openplatform/OpenPlatformError.h"
#include "platform/xml/XmlHolders.h"

namespace zu {

namespace {

constexpr size_t kMaxErrorDocument = 1 << 20;
constexpr int kCodeCredentialsRefused = 40072;
constexpr int kCodeDuplicate = 40025;
constexpr int kCodeBadRequestText = 40028;

bool named(const xmlNode* node, const char* name) {
  return node && node->type == XML_ELEMENT_NODE &&
         xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

}  // namespace

std::optional<std::string> HashErrorResponse::errorText(std::string_view body) {
  if (body.empty() || body.size() > kMaxErrorDocument) return std::nullopt;
  // No network, no entity substitution, no DTD loading: the answer is read as it stands.
  XmlDocPtr doc(xmlReadMemory(body.data(), static_cast<int>(body.size()), nullptr, nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc) return std::nullopt;
  xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!named(root, "hash")) return std::nullopt;
  for (xmlNode* child = root->children; child; child = child->next) {
    if (!named(child, "error")) continue;
    XmlCharPtr text(xmlNodeGetContent(child));
    return text ? std::string(reinterpret_cast<const char*>(text.get())) : std::string();
  }
  return std::nullopt;
}

int HashErrorResponse::errorCode(const std::string& errorText) {
  std::string head = errorText.substr(0, errorText.find(':'));
  return static_cast<int>(std::strtol(head.c_str(), nullptr, 10));
}

std::optional<std::string> HashErrorResponse::secondPiece(const std::string& errorText) {
  size_t first = errorText.find(':');
  if (first == std::string::npos) return std::nullopt;
  size_t second = errorText.find(':', first + 1);
  return errorText.substr(first + 1, second == std::string::npos ? std::string::npos
                                                                 : second - first - 1);
}

void HashErrorResponse::checkResponse(std::string_view body, int statusCode,
                                      const char* noTextDescription, int* errCode,
                                      std::string* errDes) {
  switch (statusCode) {
    case 200:
      *errCode = kOPSuccess;
      return;
    case 304:
      *errCode = kOPErrPlatform;
      *errDes = optext::kNoData;
      return;
    case 401:
      *errCode = kOPErrCredentialsRefused;
      *errDes = optext::kAuthFailed;
      return;
    case 400:
      break;
    default:
      *errCode = kOPErrPlatform;
      *errDes = optext::kPostError;
      return;
  }
  auto text = errorText(body);
  if (!text) {
    *errCode = kOPErrPlatform;
    *errDes = noTextDescription;
    return;
  }
  switch (errorCode(*text)) {
    case kCodeCredentialsRefused:
      *errCode = kOPErrCredentialsRefused;
      *errDes = optext::kAuthFailed;
      return;
    case kCodeDuplicate:
      *errCode = kOPErrDuplicate;
      *errDes = optext::kDuplicate;
      return;
    default:
      *errCode = kOPErrPlatform;
      *errDes = secondPiece(*text).value_or(optext::kPostError);
      return;
  }
}

std::string HashErrorResponse::badRequestDescription(const Bytes& body,
                                                     const char* noTextDescription) {
  auto text = errorText(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
  if (!text) return noTextDescription;
  switch (errorCode(*text)) {
    case kCodeDuplicate: return optext::kDuplicate;
    case kCodeBadRequestText: return secondPiece(*text).value_or(optext::kShareFailed);
    default: return optext::kShareFailed;
  }
}

}  // namespace zu
