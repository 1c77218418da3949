// className: the readable name of a dynamic type ("DEDownloadImageTask"), without its
// namespaces, for log lines that name a task or an inner task by its class. typeName: the
// full demangled name ("std::runtime_error"), for exceptions.
#pragma once

#include <string>
#include <typeinfo>

namespace zu {

std::string className(const std::type_info& type);
std::string typeName(const std::type_info& type);

}  // namespace zu
