// The notification icon's record, in the 89-byte layout the shell is handed
// by address: size, window, icon id, flags, callback message, icon, tip. Where
// the ANSI code page cannot hold the tip, the tip goes in UTF-16 instead. And
// the longer record that sets the icon's version, which the short one cannot
// hold.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tallynix {

inline constexpr std::uint32_t kIconRecordSize = 89;
inline constexpr std::uint32_t kIconId = 1;
inline constexpr std::uint32_t kIconFlags = 7;             // message, icon and tip are valid
inline constexpr std::uint32_t kIconCallbackMessage = 512; // arrives as a mouse move
inline constexpr std::size_t kIconTipSize = 65;            // 64 bytes of text and a NUL
inline constexpr std::size_t kIconWideTipSize = 64;        // 63 UTF-16 units and a NUL
inline constexpr std::uint32_t kIconAdd = 0;
inline constexpr std::uint32_t kIconModify = 1;
inline constexpr std::uint32_t kIconDelete = 2;
inline constexpr std::uint32_t kIconSetFocus = 3; // the keyboard back to the notification area
inline constexpr std::uint32_t kIconSetVersion = 4;
// From version 3 on, Enter or Space on the icon and its menu key arrive as
// events of their own; the mouse events and their layout stay as they were.
inline constexpr std::uint32_t kIconVersion = 3;
// The first record that holds the version (the version 2 record), as 32-bit
// Windows lays it out: the version at byte 416, after a 128-byte tip, the
// state, its mask and the 256-byte balloon text.
inline constexpr std::uint32_t kIconVersionRecordSize = 488;
inline constexpr std::size_t kIconVersionOffset = 416;

struct IconRecord {
  std::uint32_t size = kIconRecordSize;
  std::uint64_t window = 0;
  std::uint32_t id = kIconId;
  std::uint32_t flags = kIconFlags;
  std::uint32_t callbackMessage = kIconCallbackMessage;
  std::uint64_t icon = 0;
  std::array<char, kIconTipSize> tip{};                  // ANSI text, NUL, zero fill
  bool wide = false;                                     // the tip is in wideTip, not in tip
  std::array<std::uint16_t, kIconWideTipSize> wideTip{}; // UTF-16, NUL, zero fill

  // Fills every field. `tip` is the tooltip in the ANSI code page, without
  // its NUL; longer than 64 bytes is an error (std::length_error).
  static IconRecord make(std::uint64_t window, std::uint64_t icon, std::string_view tip);
  // The same with the tip in UTF-16, as Windows' wide characters hold it;
  // longer than 63 units is an error.
  static IconRecord makeWide(std::uint64_t window, std::uint64_t icon, std::wstring_view tip);

  // The ANSI record as the shell reads it: little-endian, no gaps, handles 32
  // bits wide as on 32-bit Windows.
  std::array<std::uint8_t, kIconRecordSize> bytes() const;
  // The record that sets the icon's version, laid out the same way: its
  // size, the window, the icon id and the version; zero elsewhere.
  std::array<std::uint8_t, kIconVersionRecordSize> versionBytes() const;
};

} // namespace tallynix
