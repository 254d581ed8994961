// A new, empty folder for the running test, under the system's temporary
// folder, removed when the test ends. Named after the suite and the test, so
// that tests run in parallel processes never share one.
#ifndef MAPWRIGHT_TESTS_TEMP_FOLDER_H
#define MAPWRIGHT_TESTS_TEMP_FOLDER_H

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace mapwright::testing {

class TempFolder {
 public:
  TempFolder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            (std::string("mapwright_") + test->test_suite_name() + "_" + test->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace mapwright::testing

#endif
