#include "window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

// Shifts `at` along one axis so that [at, at + length) lies in [low, high); a window longer
// than the room starts at `low`.
int Within(int at, int length, int low, int high) {
  return std::max(low, std::min(at, high - length));
}

QPoint Candidate(Side side, const QRect& owner, const QSize& size, const QRect& available) {
  const int top = Within(owner.top(), size.height(), available.top(), available.bottom() + 1);
  const int left = Within(owner.left(), size.width(), available.left(), available.right() + 1);
  switch (side) {
    case Side::Right:
      return {owner.right() + 1 + kWindowGap, top};
    case Side::Left:
      return {owner.left() - kWindowGap - size.width(), top};
    case Side::Below:
      return {left, owner.bottom() + 1 + kWindowGap};
    case Side::Above:
      return {left, owner.top() - kWindowGap - size.height()};
  }
  return owner.topLeft();
}

}  // namespace

Placement PlaceBeside(const QRect& owner, const QSize& size, const QRect& available,
                      const std::vector<QRect>& taken, std::initializer_list<Side> sides) {
  std::vector<Side> order(sides);
  for (const Side side : {Side::Below, Side::Above}) {
    if (std::find(order.begin(), order.end(), side) == order.end()) order.push_back(side);
  }
  auto onScreen = [&](const QPoint& at) { return available.contains(QRect(at, size)); };
  auto free = [&](const QPoint& at) {
    return std::none_of(taken.begin(), taken.end(),
                        [&](const QRect& r) { return r.intersects(QRect(at, size)); });
  };
  // A free place on the screen, then any place on the screen.
  for (const bool needFree : {true, false}) {
    for (const Side side : order) {
      const QPoint at = Candidate(side, owner, size, available);
      if (onScreen(at) && (!needFree || free(at))) return {at, owner.topLeft()};
    }
  }
  // The owner and the window side by side, as near the owner's place as the screen allows.
  for (const Side side : order) {
    const bool across = side == Side::Right || side == Side::Left;
    const int need = across ? owner.width() + kWindowGap + size.width()
                            : owner.height() + kWindowGap + size.height();
    const int room = across ? available.width() : available.height();
    if (need > room) continue;
    QRect moved = owner;
    if (across) {
      const int left =
          side == Side::Right ? owner.left() : owner.left() - kWindowGap - size.width();
      moved.moveLeft(Within(left, need, available.left(), available.right() + 1) +
                     (side == Side::Right ? 0 : kWindowGap + size.width()));
    } else {
      const int top = side == Side::Below ? owner.top() : owner.top() - kWindowGap - size.height();
      moved.moveTop(Within(top, need, available.top(), available.bottom() + 1) +
                    (side == Side::Below ? 0 : kWindowGap + size.height()));
    }
    const QPoint at = Candidate(side, moved, size, available);
    if (onScreen(at) && available.contains(moved)) return {at, moved.topLeft()};
  }
  const QPoint first = Candidate(order.front(), owner, size, available);
  return {{Within(first.x(), size.width(), available.left(), available.right() + 1),
           Within(first.y(), size.height(), available.top(), available.bottom() + 1)},
          owner.topLeft()};
}

void PlaceWindowBeside(QWidget* window, QWidget* owner, std::initializer_list<Side> sides) {
  const QScreen* screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  std::vector<QRect> taken;
  for (const QObject* child : owner->children()) {
    const auto* other = qobject_cast<const QWidget*>(child);
    if (other && other != window && other->isWindow() && other->isVisible()) {
      taken.push_back(other->frameGeometry());
    }
  }
  // A window not shown yet has no frame: give it the one the window manager gave its owner.
  QSize size = window->frameGeometry().size();
  if (size == window->size()) size += owner->frameGeometry().size() - owner->size();
  const Placement p =
      PlaceBeside(owner->frameGeometry(), size, screen->availableGeometry(), taken, sides);
  if (p.owner != owner->frameGeometry().topLeft()) owner->move(p.owner);
  window->move(p.window);
}
