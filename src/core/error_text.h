// What the user reads when something fails. Portable: no Windows headers.
#pragma once

#include <exception>
#include <string>

namespace tallynix {

inline constexpr const wchar_t *kProgramTitle = L"タリニクス";

// A Japanese description of what failed; for a file, its full path and the
// system's own error text.
std::wstring describeError(const std::exception &error);

// The same, for an error after which the program cannot go on.
std::wstring describeFatalError(const std::exception &error);

} // namespace tallynix
