#pragma once
// The platform's look for dialog controls, selected once, before the first
// dialog of the process opens. Selecting it at start-up would load the
// common controls library into every start, also into the copies and
// pastes that show no window.
namespace qlry {

void SelectDialogLook();

}  // namespace qlry
