// What the customer's server answered to the post, as the import judges it.
#pragma once

#include <string>

// Whether the server's answer means the quote was taken: a final status of 200 to 299.
bool AnswerAccepted(int statusCode);

// What the agent is told when the server refused the post: the host, and the status code
// with the reason the server gave (left out when it gave none).
std::string RefusedAnswerMessage(const std::string& host, int statusCode, const std::string& reason);
