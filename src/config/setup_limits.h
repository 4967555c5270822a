// How many characters each edit field of the Setup window takes. The window refuses a longer
// value at Save, so a settings file holding one cannot be saved by the agent until it is
// shortened; the configuration tool holds the files it writes and checks to the same limits.
#pragma once

#include <cstddef>

namespace setup_limits {

constexpr std::size_t kProducerCode = 15;
constexpr std::size_t kServerAddress = 50;
constexpr std::size_t kServerPostFile = 50;
constexpr std::size_t kKrnLaunchFile = 50;
constexpr std::size_t kCompany = 50;

}  // namespace setup_limits
