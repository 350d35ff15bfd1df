#pragma once
// Messages for the codes the library returns, its own and the printer driver's.
#include <string>

namespace kqcr80 {

std::string errorText(int code);

}  // namespace kqcr80
