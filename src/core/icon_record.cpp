#include "core/icon_record.h"

#include <stdexcept>

namespace tallynix {
namespace {

void put32(std::uint8_t *at, std::uint64_t value) {
  for (int i = 0; i < 4; ++i)
    at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

IconRecord IconRecord::make(std::uint64_t window, std::uint64_t icon, std::string_view tip) {
  if (tip.size() + 1 > kIconTipSize)
    throw std::length_error("notification icon tip longer than 64 bytes");
  IconRecord record;
  record.window = window;
  record.icon = icon;
  for (std::size_t i = 0; i < tip.size(); ++i)
    record.tip[i] = tip[i];
  return record;
}

IconRecord IconRecord::makeWide(std::uint64_t window, std::uint64_t icon, std::wstring_view tip) {
  if (tip.size() + 1 > kIconWideTipSize)
    throw std::length_error("notification icon tip longer than 63 characters");
  IconRecord record = make(window, icon, {});
  record.wide = true;
  for (std::size_t i = 0; i < tip.size(); ++i)
    record.wideTip[i] = static_cast<std::uint16_t>(tip[i]);
  return record;
}

std::array<std::uint8_t, kIconRecordSize> IconRecord::bytes() const {
  std::array<std::uint8_t, kIconRecordSize> out{};
  put32(&out[0], size);
  put32(&out[4], window);
  put32(&out[8], id);
  put32(&out[12], flags);
  put32(&out[16], callbackMessage);
  put32(&out[20], icon);
  for (std::size_t i = 0; i < kIconTipSize; ++i)
    out[24 + i] = static_cast<std::uint8_t>(tip[i]);
  return out;
}

std::array<std::uint8_t, kIconVersionRecordSize> IconRecord::versionBytes() const {
  std::array<std::uint8_t, kIconVersionRecordSize> out{};
  put32(&out[0], kIconVersionRecordSize);
  put32(&out[4], window);
  put32(&out[8], id);
  put32(&out[kIconVersionOffset], kIconVersion);
  return out;
}

} // namespace tallynix
