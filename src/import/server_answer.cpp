#include "import/server_answer.h"

#include "support/number_time_text.h"

bool AnswerAccepted(int statusCode) {
    return statusCode >= 200 && statusCode <= 299;
}

std::string RefusedAnswerMessage(const std::string& host, int statusCode, const std::string& reason) {
    const std::string status = reason.empty() ? IntToText(statusCode) : IntToText(statusCode) + " " + reason;
    return "The server " + host + " answered \"" + status + "\".\nThe quote was not imported.";
}
