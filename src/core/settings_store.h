// A per-user settings store addressed by application, section and key,
// holding text values.
#pragma once

#include <string>
#include <string_view>

namespace tallynix {

class SettingsStore {
public:
  virtual ~SettingsStore() = default;
  // The stored text, or `fallback` when the entry is absent.
  virtual std::string get(std::string_view app, std::string_view section, std::string_view key,
                          std::string_view fallback) = 0;
  // Creates or overwrites the entry.
  virtual void save(std::string_view app, std::string_view section, std::string_view key,
                    std::string_view value) = 0;
};

} // namespace tallynix
