#include "app/import_inputs.h"

ImportInputs ReadImportInputs(const RunRater& rater) {
    ImportInputs inputs;
    inputs.settings = std::make_unique<ImportSettings>();
    // The list gets no program name, as it never has, so it never turns to the fall-back folder.
    inputs.routeList = std::make_unique<RouteList>(rater, std::string());
    inputs.routes = std::make_unique<RouteTable>();
    return inputs;
}
