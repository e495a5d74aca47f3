#include "window_placement.h"

#include <gtest/gtest.h>

namespace {

// A 1024 x 768 screen less a 32-pixel panel; the main window is 268 x 332, the arm view
// 430 x 296, the jog pad 160 x 190.
TEST(WindowPlacement, EveryWindowLiesOnTheScreenBesideBelowOrAboveItsOwner) {
  const QRect screen(0, 32, 1024, 736);
  struct Case {
    QPoint owner;
    QSize size;
    std::vector<QRect> taken;
    std::initializer_list<Side> sides;
    QPoint window;
    QPoint ownerAfter;
  };
  // clang-format off
  const Case cases[] = {
      {{100, 100}, {430, 296}, {}, {Side::Right}, {380, 100}, {100, 100}},
      {{600, 100}, {160, 190}, {}, {Side::Right, Side::Left}, {428, 100}, {600, 100}},
      {{100, 600}, {160, 190}, {}, {Side::Right}, {380, 578}, {100, 600}},  // moved up
      {{10, 40}, {160, 190}, {}, {Side::Left}, {10, 384}, {10, 40}},        // below
      {{10, 420}, {160, 190}, {}, {Side::Left}, {10, 218}, {10, 420}},      // on top
      {{378, 218}, {160, 190}, {{206, 218, 160, 190}}, {Side::Left, Side::Right}, {658, 218},
       {378, 218}},
      {{378, 218}, {430, 296}, {}, {Side::Right}, {594, 218}, {314, 218}},  // owner makes room
      {{0, 32}, {1100, 800}, {}, {Side::Right}, {0, 32}, {0, 32}},          // too large
  };
  // clang-format on
  for (const Case& c : cases) {
    const QRect owner(c.owner, QSize(268, 332));
    const Placement p = PlaceBeside(owner, c.size, screen, c.taken, c.sides);
    EXPECT_EQ(p.window, c.window) << c.owner.x() << "," << c.owner.y();
    EXPECT_EQ(p.owner, c.ownerAfter) << c.owner.x() << "," << c.owner.y();
  }
}

}  // namespace
