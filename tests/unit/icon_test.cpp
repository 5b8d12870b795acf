#include "core/icon_clicks.h"
#include "core/icon_record.h"
#include "core/units.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>

using namespace tallynix;

namespace {
const std::string kTip = "\x83\x5e\x83\x8a\x83\x6a\x83\x4e\x83\x58"; // タリニクス, code page 932
}

TEST(IconRecord, HasTheShellLayoutByteForByte) {
  const IconRecord record = IconRecord::make(0x00A1B2C3, 0x00010203, kTip);
  const auto bytes = record.bytes();
  ASSERT_EQ(bytes.size(), 89u);
  const std::uint8_t head[24] = {
      89,   0,    0,    0,    // size
      0xC3, 0xB2, 0xA1, 0x00, // window
      1,    0,    0,    0,    // icon id
      7,    0,    0,    0,    // flags: message, icon, tip
      0x00, 0x02, 0,    0,    // callback message 512
      0x03, 0x02, 0x01, 0x00, // icon
  };
  for (int i = 0; i < 24; ++i)
    EXPECT_EQ(bytes[i], head[i]) << "byte " << i;
  for (std::size_t i = 0; i < kTip.size(); ++i)
    EXPECT_EQ(bytes[24 + i], static_cast<std::uint8_t>(kTip[i])) << "tip byte " << i;
  for (std::size_t i = 24 + kTip.size(); i < 89; ++i)
    EXPECT_EQ(bytes[i], 0) << "fill byte " << i;
}

TEST(IconRecord, TheVersionRecordHasTheShellLayoutByteForByte) {
  std::array<std::uint8_t, 488> expected{0xE8, 1, 0, 0, 0xC3, 0xB2, 0xA1, 0, 1}; // size, window, id
  expected[416] = 3; // the version; no flags, icon or tip
  EXPECT_EQ(IconRecord::make(0x00A1B2C3, 0x00010203, kTip).versionBytes(), expected);
}

TEST(IconRecord, KeepsWideHandlesForThePlatformRecord) {
  const IconRecord record = IconRecord::make(0x1122334455667788ull, 0x99, kTip);
  EXPECT_EQ(record.window, 0x1122334455667788ull);
  EXPECT_EQ(record.bytes()[4], 0x88);
}

TEST(IconRecord, TipOfSixtyFourBytesFitsAndSixtyFiveIsAnError) {
  const IconRecord full = IconRecord::make(1, 2, std::string(64, 'x'));
  EXPECT_EQ(full.bytes()[24 + 63], 'x');
  EXPECT_EQ(full.bytes()[24 + 64], 0);
  EXPECT_THROW(IconRecord::make(1, 2, std::string(65, 'x')), std::length_error);
}

TEST(IconRecord, AWideTipHoldsItsUnitsUpToSixtyThree) {
  const IconRecord record = IconRecord::makeWide(1, 2, L"タリニクス");
  EXPECT_TRUE(record.wide);
  const std::uint16_t tip[] = {0x30BF, 0x30EA, 0x30CB, 0x30AF, 0x30B9, 0};
  for (std::size_t i = 0; i < std::size(tip); ++i)
    EXPECT_EQ(record.wideTip[i], tip[i]) << "unit " << i;
  const IconRecord full = IconRecord::makeWide(1, 2, std::wstring(63, L'x'));
  EXPECT_EQ(full.wideTip[62], L'x');
  EXPECT_THROW(IconRecord::makeWide(1, 2, std::wstring(64, L'x')), std::length_error);
}

TEST(IconMessages, DecodeExactlyAtEverySupportedDensity) {
  for (int dpi : {96, 120, 144, 168, 192}) {
    const int perPixel = twipsPerPixel(dpi);
    for (int message : {0x200, 0x201, 0x202, 0x203, 0x204, 0x205, 0x206, 0x207}) {
      // The window reports the message number as an x coordinate in twips.
      const float x = static_cast<float>(message) * static_cast<float>(perPixel);
      EXPECT_EQ(iconMessageFromTwips(x, static_cast<float>(perPixel)), message) << "dpi " << dpi;
    }
  }
}

TEST(IconMessages, RoundsBothValuesHalfToEvenThenTruncates) {
  EXPECT_EQ(iconMessageFromTwips(7695.4f, 15.0f), 513);
  EXPECT_EQ(iconMessageFromTwips(7709.0f, 15.0f), 513); // 513.93 truncates
  EXPECT_EQ(iconMessageFromTwips(7710.0f, 15.0f), 514);
  EXPECT_EQ(iconMessageFromTwips(22.5f, 14.5f), 1); // 22 / 14
}

TEST(IconMessages, OnlyThePressesEnterAndTheMenuKeyAct) {
  EXPECT_EQ(iconActionFor(0x201), IconAction::showWindow);
  EXPECT_EQ(iconActionFor(0x204), IconAction::trayMenu);
  EXPECT_EQ(iconActionFor(0x401), IconAction::showForTyping);
  EXPECT_EQ(iconActionFor(0x7B), IconAction::contextMenu);
  for (int other : {0x200, 0x202, 0x203, 0x205, 0x206, 0x207, 0x208, 0x209, 0x400, 8, 0})
    EXPECT_EQ(iconActionFor(other), IconAction::none) << other;
  // Ordinary moves over the window's uncovered patch decode to small numbers.
  EXPECT_EQ(iconActionFor(iconMessageFromTwips(8 * 15, 15)), IconAction::none);
}
