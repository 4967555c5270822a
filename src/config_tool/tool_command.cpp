#include "config_tool/tool_command.h"

#include <cstddef>
#include <map>

const char kToolUsage[] =
    "vantrel_config: makes and checks Vantrel's settings (Vantrel.dat) and site routes (PRoute.dat)\n"
    "\n"
    "  vantrel_config --products [--routes PRoute.dat]\n"
    "      every product name the route table knows, with its server\n"
    "  vantrel_config --check Vantrel.dat [--routes PRoute.dat] [--tls-hosts TlsHosts.dat]\n"
    "      checks the files; for sound ones, shows where the quotes will go (exit 0 sound, 1 not)\n"
    "  vantrel_config --write-settings Vantrel.dat --rater CODE --product NAME --post-file PATH\n"
    "                 --launch-file PATH --company NAME --qq-path FOLDER [--producer-code CODE]\n"
    "                 [--server-address http://HOST] [--use-itc-zavezuda] [--routes PRoute.dat]\n"
    "      writes the settings file (the server address defaults to the product's route server)\n"
    "  vantrel_config --write-routes PRoute.dat [--site-mode TEXT]\n"
    "                 --route COMPANY RATER STATE PRODUCT SERVER BROWSER-PATH [--route ...]\n"
    "      writes the site routing file, one row per --route (BROWSER-PATH: UNDEFINED for none)\n"
    "  vantrel_config --write-tls-hosts TlsHosts.dat --tls-host HOST [--tls-host HOST ...]\n"
    "      adds each host as known to take TLS for good (\"always\") to the file, made if there is\n"
    "      none; the other entries stay as they are\n"
    "\n"
    "Bad input (a missing or unreadable file, a file that is not 8-bit text, wrong options) exits 2.\n";

namespace {

using Action = ToolCommand::Action;

const std::map<std::string, Action> kActions = {
    {"--products", Action::kProducts},
    {"--check", Action::kCheck},
    {"--write-settings", Action::kWriteSettings},
    {"--write-routes", Action::kWriteRoutes},
    {"--write-tls-hosts", Action::kWriteTlsHosts},
};

// The named values of a settings file, each taken from the option that follows it.
std::string* SettingsOption(SettingsRequest& request, const std::string& option) {
    if (option == "--rater") return &request.raterCode;
    if (option == "--product") return &request.productName;
    if (option == "--post-file") return &request.serverPostFile;
    if (option == "--launch-file") return &request.krnLaunchFile;
    if (option == "--company") return &request.company;
    if (option == "--qq-path") return &request.qqPath;
    return nullptr;
}

std::optional<std::string>* OptionalSettingsOption(SettingsRequest& request, const std::string& option) {
    if (option == "--producer-code") return &request.producerCode;
    if (option == "--server-address") return &request.serverAddress;
    return nullptr;
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    std::variant<ToolCommand, std::string> Parse() {
        if (arguments_.empty()) return std::string("no action given (vantrel_config --help lists them)");
        for (next_ = 0; next_ < arguments_.size();) {
            const std::string option = arguments_[next_++];
            if (auto problem = Take(option)) return *problem;
        }
        return Finish();
    }

private:
    std::optional<std::string> Take(const std::string& option) {
        if (option == "--help" || option == "-h" || option == "/?") {
            command_.action = Action::kHelp;
            helpAsked_ = true;
            return std::nullopt;
        }
        if (const auto action = kActions.find(option); action != kActions.end()) {
            if (actionGiven_) return "give one action only, not " + actionName_ + " and " + option;
            actionGiven_ = true;
            actionName_ = option;
            command_.action = action->second;
            if (action->second != Action::kProducts) return Value(option, command_.file);
            return std::nullopt;
        }
        if (option == "--routes") {
            command_.routesFile.emplace();
            return Value(option, *command_.routesFile);
        }
        if (option == "--site-mode") return Value(option, command_.siteMode);
        if (option == "--tls-hosts") {
            command_.tlsHostsFile.emplace();
            return Value(option, *command_.tlsHostsFile);
        }
        if (option == "--tls-host") return Value(option, command_.tlsHosts.emplace_back());
        if (option == "--use-itc-zavezuda") {
            command_.settings.useItcZavezuda = true;
            settingsOptions_.push_back(option);
            return std::nullopt;
        }
        if (option == "--route") return Route();
        if (std::string* value = SettingsOption(command_.settings, option)) {
            settingsOptions_.push_back(option);
            given_[option] = true;
            return Value(option, *value);
        }
        if (std::optional<std::string>* value = OptionalSettingsOption(command_.settings, option)) {
            settingsOptions_.push_back(option);
            value->emplace();
            return Value(option, **value);
        }
        return "unknown option " + option + " (vantrel_config --help lists them)";
    }

    std::optional<std::string> Value(const std::string& option, std::string& value) {
        if (next_ >= arguments_.size()) return option + " needs a value after it";
        value = arguments_[next_++];
        return std::nullopt;
    }

    std::optional<std::string> Route() {
        constexpr std::size_t kColumns = 6;
        if (arguments_.size() - next_ < kColumns) {
            return std::string("--route needs six columns: COMPANY RATER STATE PRODUCT SERVER BROWSER-PATH");
        }
        RouteRowColumns row;
        for (std::string* column :
             {&row.company, &row.raterCode, &row.state, &row.productName, &row.serverUrl, &row.browserPath}) {
            *column = arguments_[next_++];
        }
        command_.routeRows.push_back(row);
        return std::nullopt;
    }

    std::variant<ToolCommand, std::string> Finish() {
        if (helpAsked_) return ToolCommand{};
        if (!actionGiven_) return std::string("no action given (vantrel_config --help lists them)");
        const Action action = command_.action;
        if (action != Action::kWriteSettings && !settingsOptions_.empty()) {
            return settingsOptions_.front() + " belongs to --write-settings";
        }
        if (action == Action::kWriteSettings) {
            for (const char* required :
                 {"--rater", "--product", "--post-file", "--launch-file", "--company", "--qq-path"}) {
                if (!given_[required]) return std::string("--write-settings needs ") + required;
            }
        }
        if (command_.tlsHostsFile && action != Action::kCheck) return std::string("--tls-hosts belongs to --check");
        if (action == Action::kWriteTlsHosts) {
            if (command_.tlsHosts.empty()) return std::string("--write-tls-hosts needs at least one --tls-host");
            if (command_.routesFile) return std::string("--routes belongs to --products, --check and --write-settings");
        } else if (!command_.tlsHosts.empty()) {
            return std::string("--tls-host belongs to --write-tls-hosts");
        }
        if (action == Action::kWriteRoutes) {
            if (command_.routesFile) return std::string("--routes belongs to --products, --check and --write-settings");
            if (command_.routeRows.empty()) return std::string("--write-routes needs at least one --route");
        } else if (!command_.routeRows.empty() || command_.siteMode != "LIVE") {
            return std::string("--route and --site-mode belong to --write-routes");
        }
        return command_;
    }

    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    ToolCommand command_;
    bool actionGiven_ = false;
    bool helpAsked_ = false;
    std::string actionName_;
    std::vector<std::string> settingsOptions_;
    std::map<std::string, bool> given_;
};

}  // namespace

std::variant<ToolCommand, std::string> ParseToolCommand(const std::vector<std::string>& arguments) {
    return Parser(arguments).Parse();
}
