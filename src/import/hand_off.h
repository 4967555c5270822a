// Handing the agent over to the web product on the identifier the quote was posted under.
#pragma once

#include "import/import_outcome.h"

// The pause before the hand-off, so the server has stored the quote before the web
// product asks for it.
constexpr int kHandOffWaitMs = 3000;

// Waits kHandOffWaitMs, then opens "krn.hta" in the browser path with the identifier when
// that file exists, and the startup link in the default browser otherwise. False when the
// shell could not open it, which whoever made the hand-off tells the agent.
[[nodiscard]] bool OpenWebProduct(const HandOff& handOff);
