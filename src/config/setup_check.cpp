#include "config/setup_check.h"

#include "support/text.h"

namespace {

bool BreaksTheSettingsFile(const std::string& value) {
    return value.find_first_of(";\r\n") != std::string::npos;
}

}  // namespace

std::optional<std::string> CheckSetup(SetupValues& values, const std::string& programFolder) {
    if (values.raterPosition == 0) return "You must select a comparative rater";
    if (!values.serverPostFile.empty() && values.serverPostFile[0] == '/') {
        values.serverPostFile.erase(0, 1);
        return "The Post Data file should not begin with a '/'";
    }
    if (!values.krnLaunchFile.empty() && values.krnLaunchFile[0] == '/') {
        values.krnLaunchFile.erase(0, 1);
        return "The KRN launch file should not begin with a '/'";
    }
    // Kept for the settings files this window has always written: "http://" is looked for
    // anywhere in the text, so "https://host" is saved as "http://https://host".
    if (!text::Contains(values.serverAddress, "http://")) {
        values.serverAddress = "http://" + values.serverAddress;
        return "The server address must begin with http:// to be valid";
    }
    if (!values.serverAddress.empty() && values.serverAddress.back() == '/') {
        values.serverAddress.pop_back();
        return "The server address does not need a trailing '/'";
    }
    const std::pair<const char*, const std::string*> fields[] = {
        {"Company", &values.company},
        {"Server Post File", &values.serverPostFile},
        {"KRN Launch File", &values.krnLaunchFile},
        {"QQ Path", &values.qqPath},
        {"Producer Code", &values.producerCode},
        {"Server Address", &values.serverAddress},
    };
    for (const auto& [name, value] : fields) {
        if (BreaksTheSettingsFile(*value)) {
            return std::string("The ") + name +
                   " field cannot hold a ';' or a line break: the settings file could not keep it. "
                   "Please remove it before saving.";
        }
    }
    if (BreaksTheSettingsFile(programFolder)) {
        return "The program folder " + programFolder +
               " has a ';' or a line break in its name: the settings file could not keep it. "
               "Please move Vantrel to a folder without one before saving.";
    }
    return std::nullopt;
}
