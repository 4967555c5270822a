#include "config_tool/tool_run.h"

#include <ctime>
#include <memory>
#include <optional>

#include "config/import_settings.h"
#include "config/route_table.h"
#include "config_tool/input_file.h"
#include "config_tool/known_products.h"
#include "config_tool/quote_destination.h"
#include "config_tool/route_file_check.h"
#include "config_tool/settings_file_check.h"
#include "config_tool/tls_hosts_file_check.h"
#include "support/text_file.h"

namespace {

// The tool's clock: the C library's count of seconds since 1970 is UTC on every system.
UtcSeconds Now() {
    return static_cast<UtcSeconds>(std::time(nullptr));
}

class ToolRun {
public:
    ToolRun(const ToolCommand& command, std::ostream& out, std::ostream& err)
        : command_(command), out_(out), err_(err) {}

    int Run() {
        switch (command_.action) {
            case ToolCommand::Action::kHelp:
                out_ << kToolUsage;
                return kToolSound;
            case ToolCommand::Action::kProducts:
                return ListProducts();
            case ToolCommand::Action::kCheck:
                return Check();
            case ToolCommand::Action::kWriteSettings:
                return WriteSettings();
            case ToolCommand::Action::kWriteRoutes:
                return WriteRoutes();
            case ToolCommand::Action::kWriteTlsHosts:
                return WriteTlsHostsFile();
        }
        return kToolBadInput;
    }

private:
    // The file's bytes, or nothing once its refusal is written.
    std::optional<std::string> Read(const std::string& path) {
        auto read = ReadInputFile(path);
        if (auto* refused = std::get_if<InputRefused>(&read)) {
            err_ << "vantrel_config: " << refused->reason << "\n";
            return std::nullopt;
        }
        return std::get<std::string>(std::move(read));
    }

    // The route table the settings are looked up in: the built-in rows, and the given
    // routes file's site mode and rows. Nothing once a refusal is written.
    std::unique_ptr<RouteTable> Routes(std::optional<std::string>& routesBytes) {
        if (command_.routesFile) {
            routesBytes = Read(*command_.routesFile);
            if (!routesBytes) return nullptr;
        }
        return std::make_unique<RouteTable>(routesBytes);
    }

    void Print(const std::string& fileName, const Findings& findings) {
        for (const Finding& finding : findings) out_ << Describe(fileName, finding) << "\n";
    }

    int ListProducts() {
        std::optional<std::string> routesBytes;
        const auto routes = Routes(routesBytes);
        if (!routes) return kToolBadInput;
        for (const KnownProduct& product : KnownProducts(*routes)) {
            out_ << product.name << "\t" << product.server << "\n";
        }
        return kToolSound;
    }

    int Check() {
        const std::optional<std::string> settingsBytes = Read(command_.file);
        if (!settingsBytes) return kToolBadInput;
        std::optional<std::string> routesBytes;
        const auto routes = Routes(routesBytes);
        if (!routes) return kToolBadInput;

        const ImportSettings settings(*settingsBytes);
        Findings findings = CheckSettingsFile(*settingsBytes);
        const Findings product = CheckProduct(settings, *routes);
        findings.insert(findings.end(), product.begin(), product.end());
        Print(command_.file, findings);
        Findings routeFindings;
        if (routesBytes) {
            routeFindings = CheckRouteFile(*routesBytes);
            Print(*command_.routesFile, routeFindings);
        }
        Findings hostFindings;
        KnownTlsHosts knownHosts;
        if (command_.tlsHostsFile) {
            const std::optional<std::string> hostBytes = Read(*command_.tlsHostsFile);
            if (!hostBytes) return kToolBadInput;
            hostFindings = CheckTlsHostsFile(*hostBytes, Now());
            Print(*command_.tlsHostsFile, hostFindings);
            knownHosts = KnownTlsHosts::Parse(*hostBytes);
        }
        if (HasProblems(findings) || HasProblems(routeFindings) || HasProblems(hostFindings)) return kToolNotSound;

        out_ << "The files are sound. Where the quotes will go:\n";
        for (const std::string& line : DescribeQuoteDestination(settings, *routes, knownHosts, Now())) {
            out_ << "  " << line << "\n";
        }
        return kToolSound;
    }

    int WriteSettings() {
        std::optional<std::string> routesBytes;
        const auto routes = Routes(routesBytes);
        if (!routes) return kToolBadInput;
        ImportSettings settings = SettingsFromRequest(command_.settings, *routes);
        const Findings findings = CheckSettingsRequest(settings, *routes);
        Print(command_.file, findings);
        if (HasProblems(findings)) {
            out_ << command_.file << " was not written.\n";
            return kToolNotSound;
        }
        if (!settings.SaveAs(command_.file)) return Unwritable();
        out_ << "Wrote " << command_.file << ".\n";
        return kToolSound;
    }

    int WriteRoutes() {
        const std::vector<std::string> values = RouteFileValues(command_.siteMode, command_.routeRows);
        Findings findings = CheckRouteColumns(command_.routeRows);
        const Findings fileFindings = CheckRouteFile(LinesFileBytes(values.data(), ';', values.size()));
        findings.insert(findings.end(), fileFindings.begin(), fileFindings.end());
        Print(command_.file, findings);
        if (HasProblems(findings)) {
            out_ << command_.file << " was not written.\n";
            return kToolNotSound;
        }
        if (WriteLines(values.data(), command_.file, ';', values.size()) == 0) return Unwritable();
        out_ << "Wrote " << command_.file << ".\n";
        return kToolSound;
    }

    // The hosts given, as entries that never expire, merged into the file's own.
    int WriteTlsHostsFile() {
        KnownTlsHosts hosts;
        if (FileExists(command_.file)) {
            const std::optional<std::string> bytes = Read(command_.file);
            if (!bytes) return kToolBadInput;
            // Entries the program cannot read would be lost in the rewrite: they are shown first.
            const Findings findings = CheckTlsHostsFile(*bytes, Now());
            Print(command_.file, findings);
            if (HasProblems(findings)) {
                out_ << command_.file << " was not written.\n";
                return kToolNotSound;
            }
            hosts = KnownTlsHosts::Parse(*bytes);
        }
        for (const std::string& host : command_.tlsHosts) {
            if (KnownTlsHosts::Parse(host + " always;\r\n").Entries().size() != 1) {
                out_ << command_.file << ": \"" << host << "\" is not a host name\n"
                     << command_.file << " was not written.\n";
                return kToolNotSound;
            }
            // A host known already for good needs nothing more.
            hosts.KnowAlways(host);
        }
        if (!WriteTlsHosts(command_.file, hosts, Now())) return Unwritable();
        out_ << "Wrote " << command_.file << ".\n";
        return kToolSound;
    }

    int Unwritable() {
        err_ << "vantrel_config: " << command_.file
             << " could not be written (is its folder missing or read-only?); any old file is unchanged\n";
        return kToolBadInput;
    }

    const ToolCommand& command_;
    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace

int RunTool(const ToolCommand& command, std::ostream& out, std::ostream& err) {
    return ToolRun(command, out, err).Run();
}
