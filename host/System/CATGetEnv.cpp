#include "CATGetEnv.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace {

// name -> value; an empty optional hides the process's variable.
std::map<std::string, std::optional<std::string>>& Overrides() {
  static auto* overrides = new std::map<std::string, std::optional<std::string>>();
  return *overrides;
}

}  // namespace

const char* CATGetEnv(const char* iName) {
  if (iName == nullptr) return nullptr;
  auto& overrides = Overrides();
  if (!overrides.empty()) {
    auto it = overrides.find(iName);
    if (it != overrides.end()) return it->second ? it->second->c_str() : nullptr;
  }
  return std::getenv(iName);
}

void CATSetEnvOverride(const char* iName, const char* iValue) {
  if (iName == nullptr) return;
  Overrides()[iName] =
      iValue ? std::optional<std::string>(iValue) : std::optional<std::string>();
}

void CATRemoveEnvOverride(const char* iName) {
  if (iName) Overrides().erase(iName);
}

void CATClearEnvOverrides() { Overrides().clear(); }
