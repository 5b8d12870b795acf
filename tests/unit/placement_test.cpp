#include "core/placement.h"

#include "core/units.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tallynix;

TEST(Units, RoundsHalfToEven) {
  EXPECT_EQ(roundHalfEven(0.5), 0);
  EXPECT_EQ(roundHalfEven(1.5), 2);
  EXPECT_EQ(roundHalfEven(2.5), 2);
  EXPECT_EQ(roundHalfEven(-0.5), 0);
  EXPECT_EQ(roundHalfEven(-1.5), -2);
  EXPECT_EQ(roundHalfEven(2.4999), 2);
  EXPECT_EQ(roundHalfEven(2.5001), 3);
}

TEST(Units, TwipsPerPixelAtCommonDensities) {
  EXPECT_EQ(twipsPerPixel(96), 15);
  EXPECT_EQ(twipsPerPixel(120), 12);
  EXPECT_EQ(twipsPerPixel(144), 10);
  EXPECT_EQ(twipsPerPixel(168), 9);
  EXPECT_EQ(twipsPerPixel(192), 8); // 7.5, to even
  EXPECT_EQ(twipsPerPixel(0), 15);
}

TEST(Units, DesignScalesWithTheDensity) {
  EXPECT_EQ(scaleTwips(5040, 96), 336);
  EXPECT_EQ(scaleTwips(300, 96), 20);
  EXPECT_EQ(scaleTwips(3495, 96), 233);
  EXPECT_EQ(scaleTwips(5040, 144), 504);
  EXPECT_EQ(scaleTwips(300, 144), 30);
  EXPECT_EQ(fontHeight(9.75, 96), -13);
  EXPECT_EQ(fontHeight(9.75, 144), -20);
}

TEST(Units, TwipsToPixelsRoundsHalfToEvenAndRejectsTheUnusable) {
  EXPECT_EQ(twipsToPixels(1500, 15), 100);
  EXPECT_EQ(twipsToPixels(22.5, 15), 2); // 1.5
  EXPECT_EQ(twipsToPixels(37.5, 15), 2); // 2.5
  EXPECT_EQ(twipsToPixels(-22.5, 15), -2);
  EXPECT_EQ(twipsToPixels(100, 0), std::nullopt);
  EXPECT_EQ(twipsToPixels(3e38, 15), std::nullopt);
}

TEST(Placement, AnimationStartsFromTheSwappedCorners) {
  EXPECT_EQ(animationStart({10, 20, 346, 40}), (Rect{346, 40, 10, 20}));
}

TEST(Placement, StoredPositionInPixels) {
  EXPECT_EQ(storedPixelPosition(1500, 3000, 15), (Point{100, 200}));
  EXPECT_EQ(storedPixelPosition(-1500, 0, 15), (Point{-100, 0}));
  EXPECT_EQ(storedPixelPosition(1500, 3000, 10), (Point{150, 300}));
  EXPECT_EQ(storedPixelPosition(1e30f, 0, 15), std::nullopt);
}

TEST(Placement, TheStripOpensWhereItsDragMarginIsOnAMonitorTheTaskbarIncluded) {
  // A 1024 x 768 primary with a 28-pixel taskbar, and a monitor on its left
  // with a 24-pixel one; then the primary with its taskbar at the top, left
  // or right.
  const Monitor primary{{0, 0, 1024, 768}, {0, 0, 1024, 740}};
  const std::vector<Monitor> both = {primary, {{-1280, -200, 0, 824}, {-1280, -200, 0, 800}}};
  const std::vector<Monitor> one = {primary};
  const std::vector<Monitor> top = {{{0, 0, 1024, 768}, {0, 28, 1024, 768}}};
  const std::vector<Monitor> left = {{{0, 0, 1024, 768}, {60, 0, 1024, 768}}};
  const std::vector<Monitor> right = {{{0, 0, 1024, 768}, {0, 0, 964, 768}}};
  const Point strip{336, 20};
  const Rect margin{0, 0, 8, 13};
  const struct {
    std::span<const Monitor> monitors;
    std::optional<Point> wanted;
    Point opens;
    const char *what;
  } cases[] = {
      {both, Point{-700, -100}, {-700, -100}, "on the monitor left of the primary"},
      {both, Point{1016, 727}, {1016, 727}, "the rest of the strip off screen"},
      {one, Point{-330, 100}, {0, 100}, "that monitor unplugged: its left edge, same height"},
      {one, Point{1017, 100}, {688, 100}, "margin past the right edge: all of it back"},
      {one, Point{100, 745}, {100, 745}, "over the taskbar at the bottom"},
      {one, Point{100, 756}, {100, 720}, "margin past the bottom edge: above the taskbar"},
      {top, Point{300, 5}, {300, 5}, "over the taskbar at the top"},
      {left, Point{20, 300}, {20, 300}, "over the taskbar at the left"},
      {right, Point{1010, 300}, {1010, 300}, "over the taskbar at the right"},
      {both, Point{-700, 805}, {-700, 805}, "over the second monitor's taskbar"},
      {both, Point{-4, 100}, {0, 100}, "margin across two monitors: the nearer work area"},
      {one, Point{5000, -900}, {688, 0}, "far off: the nearest corner"},
      {both, Point{500, 5000}, {500, 720}, "below both: the nearer one"},
      {both, std::nullopt, {0, 0}, "unusable values: the primary's top-left"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(placeOnScreen(c.wanted, strip, margin, c.monitors), c.opens) << c.what;
}

TEST(Placement, TheAboutWindowOpensWhollyWithinAWorkAreaNearItsPlace) {
  const std::vector<Monitor> small = {{{0, 0, 800, 600}, {0, 0, 800, 570}}};
  EXPECT_EQ(placeWhollyOnScreen({794, 511}, {194, 160}, small), (Point{606, 410}));
  EXPECT_EQ(placeWhollyOnScreen({50, 50}, {900, 700}, small), (Point{0, 0}));
  // Not over the taskbar.
  EXPECT_EQ(placeWhollyOnScreen({300, 420}, {194, 160}, small), (Point{300, 410}));
}

TEST(Placement, AWindowIsLaidOutForTheMonitorItOpensOn) {
  // A primary at 96 dpi and a monitor of 144 dpi on its right.
  const std::vector<Monitor> two = {{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96},
                                    {{1920, 0, 4480, 1440}, {1920, 0, 4480, 1400}, 144}};
  const Rect margin{0, 0, 8, 13};
  const struct {
    std::optional<Point> wanted;
    int dpi;
    const char *what;
  } cases[] = {
      {Point{100, 100}, 96, "on the primary"},
      {Point{3000, 1420}, 144, "on the other, over its taskbar"},
      {Point{1915, 500}, 96, "across both, most on the primary"},
      {Point{1917, 500}, 144, "across both, most on the other"},
      {Point{9000, 200}, 144, "off screen right: the nearest"},
      {Point{-500, 1300}, 96, "off screen left: the nearest"},
      {Point{1900, 1200}, 144, "below the primary, nearer the other"},
      {std::nullopt, 96, "unusable values: the primary's"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(openingDpi(c.wanted, margin, two, 120), c.dpi) << c.what;
  EXPECT_EQ(openingDpi(Point{0, 0}, margin, {}, 120), 120) << "no monitor known";
}
