#include "config/setup_check.h"

#include "support/text.h"

bool BreaksTheSettingsFile(const std::string& value) {
    return value.find_first_of(";\r\n") != std::string::npos;
}

bool BeginsWithSlash(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

bool LacksHttp(const std::string& serverAddress) {
    return !text::Contains(serverAddress, "http://");
}

bool EndsWithSlash(const std::string& serverAddress) {
    return !serverAddress.empty() && serverAddress.back() == '/';
}

std::optional<std::string> CheckSetup(SetupValues& values, const std::string& programFolder) {
    if (values.raterPosition == 0) return "You must select a comparative rater";
    if (BeginsWithSlash(values.serverPostFile)) {
        values.serverPostFile.erase(0, 1);
        return "The Post Data file should not begin with a '/'";
    }
    if (BeginsWithSlash(values.krnLaunchFile)) {
        values.krnLaunchFile.erase(0, 1);
        return "The KRN launch file should not begin with a '/'";
    }
    if (LacksHttp(values.serverAddress)) {
        values.serverAddress = "http://" + values.serverAddress;
        return "The server address must begin with http:// to be valid";
    }
    if (EndsWithSlash(values.serverAddress)) {
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
