// Test support: a fresh folder for one test, removed with everything in it
// when the test ends, and small file helpers.
#pragma once

#include <string>

namespace vela::testing {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The host path, ending in "/".
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

void WriteFile(const std::string& hostPath, const std::string& contents);
std::string ReadFile(const std::string& hostPath);
bool FileExists(const std::string& hostPath);

// Sets an environment variable for the rest of a scope, restoring it after.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const char* value);  // nullptr unsets
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::string name_;
    bool hadValue_ = false;
    std::string oldValue_;
};

}  // namespace vela::testing
