#pragma once

class QMenu;

namespace vantrel {

// Dresses a pop-up menu in the dark skin: panel colours, the accent on the
// entry under the pointer, the skin's font.
void ApplyMenuSkin(QMenu& menu);

}  // namespace vantrel
