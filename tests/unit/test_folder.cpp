#include "test_folder.h"

#include <fstream>
#include <iterator>
#include <random>

#include "platform/fake/state.h"

void InTestFolder::SetUp() {
    fake::Reset();
    previous_ = std::filesystem::current_path();
    std::random_device random;
    folder_ = std::filesystem::temp_directory_path() / ("vantrel-test-" + std::to_string(random()));
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
}

void InTestFolder::TearDown() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void InTestFolder::WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string InTestFolder::ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
