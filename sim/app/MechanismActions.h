#pragma once
// The control actions of the boards' card mechanisms: insert_card, take_card,
// place_card, mechanism.
#include "app/SimContext.h"

namespace ksim::app {

void registerMechanismActions(SimContext& ctx);

}  // namespace ksim::app
