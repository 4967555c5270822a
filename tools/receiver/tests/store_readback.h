// Stored imports read back whole (every field, every text uncut), for checking what the
// store keeps.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "import_store.h"

namespace receiver {

std::optional<ImportExcerpt> ReadWhole(ImportStore& store, std::int64_t id);

// Every import sent under the identifier, newest first.
std::vector<ImportExcerpt> ReadWholeByExternalId(ImportStore& store, const std::string& externalQuoteImportId);

}  // namespace receiver
