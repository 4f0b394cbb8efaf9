#pragma once

class QWidget;

namespace vantrel {

enum class EdgeSide { kNone, kTop, kBottom };

// Room a window keeps for itself at a screen edge.
class EdgeStrut {
  public:
    virtual ~EdgeStrut() = default;

    // While the window hides at an edge it reserves its 2-pixel strip there
    // (a partial strut over its own width): window managers that keep
    // windows on screen let a window with a strut on that edge go past it,
    // and maximised windows leave the strip uncovered. kNone gives the strip
    // back.
    virtual void Reserve(QWidget& window, EdgeSide side) = 0;
};

}  // namespace vantrel
