// A throwaway certificate for 127.0.0.1 and localhost, made by the openssl program.
#pragma once

#include <string>

#include "test_folder.h"

struct SelfSigned {
    std::string certificateFile;
    std::string keyFile;
};

// Writes cert.pem and key.pem into `folder`; throws std::runtime_error when openssl fails.
SelfSigned MakeSelfSigned(const TestFolder& folder);
