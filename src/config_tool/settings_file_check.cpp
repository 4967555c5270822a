#include "config_tool/settings_file_check.h"

#include <cstddef>

#include "config/rater_choice.h"
#include "config/setup_check.h"
#include "config/setup_limits.h"
#include "config_tool/closest_names.h"
#include "config_tool/known_products.h"
#include "config_tool/line_shape_check.h"

namespace {

struct SettingsValue {
    std::string ImportSettings::*field;
    const char* name;
    std::size_t limit;  // of its Setup field; 0 when the field takes any length
};

// In file order: value n is element n - 1.
const SettingsValue kValues[ImportSettings::kValueCount] = {
    {&ImportSettings::producerCode, "producer code", setup_limits::kProducerCode},
    {&ImportSettings::serverAddress, "server address", setup_limits::kServerAddress},
    {&ImportSettings::serverPostFile, "post file", setup_limits::kServerPostFile},
    {&ImportSettings::krnLaunchFile, "launch file", setup_limits::kKrnLaunchFile},
    {&ImportSettings::company, "company", setup_limits::kCompany},
    {&ImportSettings::qqPath, "QQ path", 0},
    {&ImportSettings::vantrelFolder, "Vantrel folder", 0},
    {&ImportSettings::useItcZavezuda, "ITC check box", 0},
    {&ImportSettings::raterCode, "rater", 0},
    {&ImportSettings::productName, "product name", 0},
};

std::string RaterCodeList() {
    std::string list;
    for (int position = 1; position < kRaterChoices; ++position) {
        list += (position > 1 ? ", " : "") + RaterCodeAt(position);
    }
    return list;
}

}  // namespace

SettingsValueName NameOfValue(std::string ImportSettings::*field) {
    for (int i = 0; i < ImportSettings::kValueCount; ++i) {
        if (kValues[i].field == field) return {i + 1, kValues[i].name};
    }
    return {0, ""};
}

Findings CheckSettingsValues(const ImportSettings& settings) {
    Findings findings;
    for (int i = 0; i < ImportSettings::kValueCount; ++i) {
        const SettingsValue& value = kValues[i];
        const std::string& text = settings.*value.field;
        const auto problem = [&](std::string what) {
            findings.push_back(Problem(Finding::Place::kValue, i + 1, std::string("the ") + value.name + " " + what));
        };
        if (BreaksTheSettingsFile(text)) problem("holds a ';' or a line break, which the settings file cannot keep");
        if (value.limit != 0 && text.size() > value.limit) {
            problem("is " + std::to_string(text.size()) + " characters long; the Setup window takes at most " +
                    std::to_string(value.limit));
        }
    }
    const auto problemOf = [&](std::string ImportSettings::*field, std::string what) {
        const SettingsValueName value = NameOfValue(field);
        findings.push_back(Problem(Finding::Place::kValue, value.number, std::move(what)));
    };
    if (BeginsWithSlash(settings.serverPostFile))
        problemOf(&ImportSettings::serverPostFile, "the post file begins with '/'");
    if (BeginsWithSlash(settings.krnLaunchFile))
        problemOf(&ImportSettings::krnLaunchFile, "the launch file begins with '/'");
    if (RaterPosition(settings.raterCode) == 0) {
        problemOf(&ImportSettings::raterCode,
                  "the rater \"" + settings.raterCode + "\" is not one of the eight codes: " + RaterCodeList());
    }
    const int address = NameOfValue(&ImportSettings::serverAddress).number;
    if (LacksHttp(settings.serverAddress)) {
        findings.push_back(Warning(Finding::Place::kValue, address,
                                   "the server address \"" + settings.serverAddress +
                                       "\" does not hold http://: the agent's next Setup save will ask to correct it"));
    } else if (EndsWithSlash(settings.serverAddress)) {
        findings.push_back(
            Warning(Finding::Place::kValue, address,
                    "the server address ends in '/': the agent's next Setup save will ask to remove it"));
    }
    return findings;
}

Findings CheckProduct(const ImportSettings& settings, RouteTable& routes) {
    if (routes.FindServer(settings.productName)) return {};
    std::string text = "no route knows the product name \"" + settings.productName + "\", so no quote can be posted";
    const std::vector<std::string> closest = ClosestNames(settings.productName, KnownProductNames(routes));
    if (!closest.empty()) {
        text += "; the closest known names are:";
        for (const std::string& name : closest) text += " \"" + name + "\"";
    }
    return {Problem(Finding::Place::kValue, NameOfValue(&ImportSettings::productName).number, text)};
}

Findings CheckSettingsFile(const std::string& bytes) {
    Findings findings = CheckLineShape(bytes, ImportSettings::kValueCount);
    const Findings values = CheckSettingsValues(ImportSettings(bytes));
    findings.insert(findings.end(), values.begin(), values.end());
    return findings;
}
