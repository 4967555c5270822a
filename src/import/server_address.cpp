#include "import/server_address.h"

#include "support/text.h"

ServerAddress SplitServer(const std::string& serverText) {
    const std::string tls = "https://";
    if (serverText.compare(0, tls.size(), tls) == 0) return {serverText.substr(tls.size()), true};
    return {text::RemoveAll(serverText, "http://"), false};
}

std::string PageAddress(const ServerAddress& server, const std::string& path) {
    return server.Scheme() + server.host + "/" + path;
}

std::string StartPageAddress(const ServerAddress& server, const std::string& launchFile, const std::string& importId) {
    return PageAddress(server, launchFile) + "?externalQuoteImportID=" + importId;
}
