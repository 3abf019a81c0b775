// A temporary folder for one test, removed with everything in it when the test ends. Optionally
// makes it the current directory for the test's duration (for code that works in ".").
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class TempDir {
 public:
  explicit TempDir(bool enter = false) {
    std::string pattern = (std::filesystem::temp_directory_path() / "ovtest-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    path_ = made ? made : "";
    if (enter) {
      previous_ = std::filesystem::current_path().string();
      std::filesystem::current_path(path_);
    }
  }
  ~TempDir() {
    if (!previous_.empty()) std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  std::string previous_;
};
