#pragma once
// The window's two named faces, Courier New and Arial Black. Where a face is not installed, the
// font is asked for by the installed face that stands in for it, so that the font system need
// not search its substitution rules for each on every start.

#include <QFont>

namespace typefaces {

// Courier New, bold, fixed pitch: the lists, the totals and the part to order.
[[nodiscard]] QFont courierBold(int points);

// Arial Black, 22 point: the product name.
[[nodiscard]] QFont productName();

} // namespace typefaces
