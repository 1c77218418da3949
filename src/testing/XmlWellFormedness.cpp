#include "testing/XmlWellFormedness.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <memory>

namespace zu {

namespace {

struct ContextDeleter {
  void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};

}  // namespace

std::string XmlWellFormedness::namespaceFaults(std::string_view document) {
  std::unique_ptr<xmlParserCtxt, ContextDeleter> ctxt(xmlNewParserCtxt());
  if (!ctxt) return "no parser context";
  xmlDocPtr doc = xmlCtxtReadMemory(ctxt.get(), document.data(),
                                    static_cast<int>(document.size()), nullptr, nullptr,
                                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  const bool wellFormed = doc != nullptr && ctxt->wellFormed && ctxt->nsWellFormed;
  if (doc) xmlFreeDoc(doc);
  if (wellFormed) return "";
  const xmlError* error = xmlCtxtGetLastError(ctxt.get());
  if (error && error->message && error->message[0]) return error->message;
  return "not namespace well-formed";
}

}  // namespace zu
