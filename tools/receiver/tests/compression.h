// Bodies compressed the ways the HTTP library inflates on its own (Content-Encoding gzip and
// br), to send the receiver more bytes than travel on the wire.
#pragma once

#include <string>

std::string Gzip(const std::string& bytes);
std::string Brotli(const std::string& bytes);
