#pragma once

#include <map>

#include "platform/edge_strut.h"

class QWidget;

namespace vantrel::test {

// Remembers the strip each window reserved last.
class FakeEdgeStrut final : public EdgeStrut {
  public:
    void Reserve(QWidget& window, EdgeSide side) override { reserved[&window] = side; }

    // Absent: the window never asked.
    std::map<const QWidget*, EdgeSide> reserved;
};

}  // namespace vantrel::test
