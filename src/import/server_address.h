// Where the quote goes: the server text of a route row split into the host that is
// connected to and whether the post travels over TLS.
#pragma once

#include <string>

struct ServerAddress {
    std::string host;     // without the scheme, as the progress line, messages and "export.log" show it
    bool secure = false;  // posted over TLS to port 443 instead of port 80

    // "https://" or "http://", the start of every web address on this server.
    const char* Scheme() const { return secure ? "https://" : "http://"; }
};

// The address of a page on the server: `path` is the post file or the launch file, which
// the settings keep without their leading "/".
std::string PageAddress(const ServerAddress& server, const std::string& path);

// The web product's start page for one import, opened when the product has no local
// launch page.
std::string StartPageAddress(const ServerAddress& server, const std::string& launchFile, const std::string& importId);

// A server text that begins exactly "https://" loses that prefix and is posted over TLS.
// Any other text loses every "http://" it holds, wherever it stands, and is posted in clear
// as it always was, so a row that worked before reaches the same host byte for byte.
ServerAddress SplitServer(const std::string& serverText);
