#pragma once

#include <QString>

namespace wv {

// The plain-language description of a TCP state code (1..12); empty for
// any other code.
QString ConnStateDescription(int stateCode);

} // namespace wv
