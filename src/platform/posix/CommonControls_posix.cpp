// Common controls on Linux: the toolkit registers its widget classes itself.
#include "platform/CommonControls.h"

namespace vellumo {

void InitCommonControlsUserEx() {}

} // namespace vellumo
