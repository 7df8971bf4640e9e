#pragma once

#include <filesystem>

#include "platform/bundle.h"

namespace twl {

// Resources in <prefix>/share/tidewaterlink beside <prefix>/bin/<executable>;
// the build tree has the same shape, so the client runs from it as installed.
class ExecutableBundle final : public Bundle {
  public:
    // The bundle of the running executable (/proc/self/exe).
    ExecutableBundle();
    explicit ExecutableBundle(const std::filesystem::path& executable);

    std::optional<std::string> pathForResource(const std::string& name) const override;
    const std::filesystem::path& resourceFolder() const { return resources_; }

  private:
    std::filesystem::path resources_;
};

}  // namespace twl
