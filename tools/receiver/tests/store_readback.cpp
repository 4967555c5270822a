#include "store_readback.h"

namespace receiver {

std::optional<ImportExcerpt> ReadWhole(ImportStore& store, std::int64_t id) {
    constexpr std::size_t kAll = std::size_t{1} << 40;
    return store.Read(id, ExcerptLimits{0, kAll, kAll, kAll});
}

std::vector<ImportExcerpt> ReadWholeByExternalId(ImportStore& store, const std::string& externalQuoteImportId) {
    std::vector<ImportExcerpt> found;
    for (const ImportSummary& summary : store.ListByExternalId(externalQuoteImportId, 1000, 0)) {
        if (auto whole = ReadWhole(store, summary.id)) {
            found.push_back(std::move(*whole));
        }
    }
    return found;
}

}  // namespace receiver
