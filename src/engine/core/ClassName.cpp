#include "engine/core/ClassName.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

namespace zu {

std::string typeName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
  return (status == 0 && demangled) ? std::string(demangled.get()) : std::string(type.name());
}

std::string className(const std::type_info& type) {
  std::string name = typeName(type);
  // Keep the class's own name: drop namespaces, named or anonymous.
  size_t colon = name.rfind("::");
  if (colon != std::string::npos && name.find('<') == std::string::npos) name.erase(0, colon + 2);
  return name;
}

}  // namespace zu
