#include "catalogue/catalogue.h"

namespace Globals {

std::vector<fw::Dictionary> gItem;

} // namespace Globals
