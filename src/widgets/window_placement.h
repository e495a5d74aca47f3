// Where a tool window goes beside the window that owns it: on a side where it lies wholly on
// the screen's available area and covers no other window of that owner, else below or on
// top, else as near its first side as the screen allows.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <initializer_list>
#include <vector>

class QWidget;

enum class Side { Right, Left, Below, Above };

// The gap between a window and its owner.
inline constexpr int kWindowGap = 12;

struct Placement {
  QPoint window;  // top-left corners
  QPoint owner;
};

// Places a window of `size` beside `owner`, trying `sides` in order, then below and on top.
// Beside the owner the window is moved up, and below or on top to the left, as far as it
// takes to stay on the screen. Where no side has room the owner moves over to make some, and
// where even that fails the window goes on the screen over the owner.
Placement PlaceBeside(const QRect& owner, const QSize& size, const QRect& available,
                      const std::vector<QRect>& taken, std::initializer_list<Side> sides);

// Moves `window` (a tool window of `owner`) and, where need be, `owner` by PlaceBeside on the
// owner's screen, around the other visible windows of the owner.
void PlaceWindowBeside(QWidget* window, QWidget* owner, std::initializer_list<Side> sides);
