// The settings store in the registry:
// HKEY_CURRENT_USER\Software\<application>\<section>, string values.
#pragma once

#include "core/settings_store.h"

namespace tallynix::win32 {

class RegistrySettings final : public SettingsStore {
public:
  std::string get(std::string_view app, std::string_view section, std::string_view key,
                  std::string_view fallback) override;
  void save(std::string_view app, std::string_view section, std::string_view key,
            std::string_view value) override;
};

} // namespace tallynix::win32
