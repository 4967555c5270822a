#include "test_folder.h"

#include <stdlib.h>

#include <stdexcept>

TestFolder::TestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-receiver-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot make a test folder");
    }
    path_ = pattern;
}

TestFolder::~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
