// Registration of the extended common-control classes the product's windows use.
#pragma once

namespace vellumo {

// Windows: InitCommonControlsEx with ICC_USEREX_CLASSES (0x200). Linux: nothing to register, the
// toolkit creates its widget classes itself. Every failure is ignored.
void InitCommonControlsUserEx();

} // namespace vellumo
