#include "window_placement.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* name;
  QRect owner;
  QSize size;
  std::vector<QRect> taken;
  std::initializer_list<Side> sides;
  QPoint window;
  QPoint owner_;  // where the owner ends up
};

// A 1024 x 768 screen less a 32-pixel panel at the top; the main window is 268 x 332, the arm
// view 430 x 296 and the jog pad 160 x 190.
const QRect kScreen(0, 32, 1024, 736);

TEST(WindowPlacement, EveryWindowLiesOnTheScreenBesideBelowOrAboveItsOwner) {
  const Case cases[] = {
      {"right", {100, 100, 268, 332}, {430, 296}, {}, {Side::Right}, {380, 100}, {100, 100}},
      {"left when the right is off the screen",
       {600, 100, 268, 332},
       {160, 190},
       {},
       {Side::Right, Side::Left},
       {428, 100},
       {600, 100}},
      {"moved up to stay on the screen",
       {100, 600, 268, 150},
       {160, 190},
       {},
       {Side::Right},
       {380, 578},
       {100, 600}},
      {"below when neither side has room",
       {10, 40, 268, 332},
       {160, 190},
       {},
       {Side::Left},
       {10, 384},
       {10, 40}},
      {"on top when below has no room either",
       {10, 420, 268, 332},
       {160, 190},
       {},
       {Side::Left},
       {10, 218},
       {10, 420}},
      {"around a window already there",
       {378, 218, 268, 332},
       {160, 190},
       {{206, 218, 160, 190}},
       {Side::Left, Side::Right},
       {658, 218},
       {378, 218}},
      {"the centred main window makes room for the arm view",
       {378, 218, 268, 332},
       {430, 296},
       {},
       {Side::Right, Side::Left},
       {594, 218},
       {314, 218}},
  };
  for (const Case& c : cases) {
    const Placement p = PlaceBeside(c.owner, c.size, kScreen, c.taken, c.sides);
    EXPECT_EQ(p.window, c.window) << c.name;
    EXPECT_EQ(p.owner, c.owner_) << c.name;
    EXPECT_TRUE(kScreen.contains(QRect(p.window, c.size))) << c.name;
    EXPECT_FALSE(QRect(p.window, c.size).intersects(QRect(p.owner, c.owner.size()))) << c.name;
  }
}

TEST(WindowPlacement, AWindowLargerThanTheRoomStillStartsOnTheScreen) {
  const Placement p = PlaceBeside({0, 32, 1024, 700}, {1100, 800}, kScreen, {}, {Side::Right});
  EXPECT_EQ(p.window, QPoint(0, 32));
}

}  // namespace
