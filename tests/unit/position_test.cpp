#include "core/position.h"

#include "test_files.h"

#include <gtest/gtest.h>

using namespace tallynix;

TEST(PositionValue, FormatsLikeTheStoredTexts) {
  EXPECT_EQ(formatPositionValue(0), "0");
  EXPECT_EQ(formatPositionValue(-0.0f), "0");
  EXPECT_EQ(formatPositionValue(300), "300");
  EXPECT_EQ(formatPositionValue(-15), "-15");
  EXPECT_EQ(formatPositionValue(1500.5f), "1500.5");
  EXPECT_EQ(formatPositionValue(1234567), "1234567");
  EXPECT_EQ(formatPositionValue(12345678), "1.234568E+07");
  EXPECT_EQ(formatPositionValue(1e8f), "1E+08");
  EXPECT_EQ(formatPositionValue(0.1f), "0.1");
}

TEST(PositionValue, RoundTripsEveryPixelPositionAtEveryDensity) {
  for (int perPixel : {15, 12, 10, 9, 8})
    for (int pixel = -4000; pixel <= 8000; ++pixel) {
      const float twips = static_cast<float>(pixel * perPixel);
      const auto back = parsePositionValue(formatPositionValue(twips));
      ASSERT_TRUE(back) << twips;
      ASSERT_EQ(*back, twips);
    }
}

TEST(PositionValue, ParsesNumbersWhateverTheirSpelling) {
  EXPECT_EQ(parsePositionValue("300"), 300.0f);
  EXPECT_EQ(parsePositionValue(" -15 "), -15.0f);
  EXPECT_EQ(parsePositionValue("+45"), 45.0f);
  EXPECT_EQ(parsePositionValue("1500.5"), 1500.5f);
  EXPECT_EQ(parsePositionValue("1E+08"), 1e8f);
}

TEST(PositionValue, RejectsWhatIsNotAFiniteNumber) {
  for (const char *text : {"", " ", "abc", "12abc", "1,5", "0x10", "nan", "inf", "-inf", "1e39",
                           "--1", "+-15", "++1", "1 2", "１２"})
    EXPECT_EQ(parsePositionValue(text), std::nullopt) << text;
}

using FakeSettings = tallynix::testing::MemorySettings;

TEST(Position, AbsentEntriesReadAsZero) {
  FakeSettings settings;
  const Position position = loadPosition(settings);
  EXPECT_EQ(position.left, 0);
  EXPECT_EQ(position.top, 0);
}

TEST(Position, SavesLeftThenTopUnderTheProgramsKeys) {
  FakeSettings settings;
  savePosition(settings, {1500, -300});
  EXPECT_EQ(settings.writes, (std::vector<std::string>{"Left=1500", "Top=-300"}));
  EXPECT_EQ(settings.values["tallynix\\WindowPosition\\Left"], "1500");
  EXPECT_EQ(settings.values["tallynix\\WindowPosition\\Top"], "-300");
  const Position back = loadPosition(settings);
  EXPECT_EQ(back.left, 1500);
  EXPECT_EQ(back.top, -300);
}

TEST(Position, AValueThatIsNotANumberReadsAsZeroAndIsLeftInPlace) {
  FakeSettings settings;
  settings.values["tallynix\\WindowPosition\\Left"] = "garbage";
  settings.values["tallynix\\WindowPosition\\Top"] = "3000";
  const Position position = loadPosition(settings);
  EXPECT_EQ(position.left, 0);
  EXPECT_EQ(position.top, 3000);
  EXPECT_TRUE(settings.writes.empty());
  EXPECT_EQ(settings.values["tallynix\\WindowPosition\\Left"], "garbage");
}

TEST(PositionValue, FormatsFractionsAndExtremesWithSevenDigits) {
  EXPECT_EQ(formatPositionValue(-1500.25f), "-1500.25");
  EXPECT_EQ(formatPositionValue(0.001f), "0.001");
  EXPECT_EQ(formatPositionValue(0.00001f), "1E-05");
  EXPECT_EQ(formatPositionValue(-2.5e-12f), "-2.5E-12");
  EXPECT_EQ(formatPositionValue(123456.7f), "123456.7");
  EXPECT_EQ(formatPositionValue(3.4e38f), "3.4E+38");
  EXPECT_EQ(formatPositionValue(-9999999), "-9999999");
  EXPECT_EQ(formatPositionValue(10000000), "1E+07");
}
