// Every test that touches files runs in a fresh folder of its own, which is also the
// working directory (the program names its files relative to it), with a fresh fake
// platform.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class InTestFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Whole-file helpers, byte for byte.
    static void WriteBytes(const std::string& path, const std::string& bytes);
    static std::string ReadBytes(const std::string& path);

    std::filesystem::path folder_;

private:
    std::filesystem::path previous_;
};
