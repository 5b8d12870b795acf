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

TEST(Placement, PositionsOnAnyMonitorAreKeptNegativeOnesIncluded) {
  const std::vector<Monitor> monitors = {
      {{0, 0, 1024, 768}, {0, 0, 1024, 740}},
      {{-1280, -200, 0, 824}, {-1280, -200, 0, 800}},
  };
  const Point size{336, 20};
  EXPECT_EQ(placeOnScreen(Point{100, 200}, size, monitors), (Point{100, 200}));
  EXPECT_EQ(placeOnScreen(Point{-700, -100}, size, monitors), (Point{-700, -100}));
  // Partly visible counts as on screen.
  EXPECT_EQ(placeOnScreen(Point{1000, 760}, size, monitors), (Point{1000, 760}));
}

TEST(Placement, OffEveryMonitorGoesToTheNearestWorkArea) {
  const std::vector<Monitor> monitors = {
      {{0, 0, 1024, 768}, {0, 30, 1024, 768}},
      {{-1280, 0, 0, 1024}, {-1280, 0, 0, 1000}},
  };
  const Point size{336, 20};
  EXPECT_EQ(placeOnScreen(Point{5000, 100}, size, monitors), (Point{0, 30}));
  EXPECT_EQ(placeOnScreen(Point{-9000, 500}, size, monitors), (Point{-1280, 0}));
  EXPECT_EQ(placeOnScreen(Point{-336, 0}, size, std::vector<Monitor>{monitors[0]}), (Point{0, 30}));
  EXPECT_EQ(placeOnScreen(std::nullopt, size, monitors), (Point{0, 30}));
}
