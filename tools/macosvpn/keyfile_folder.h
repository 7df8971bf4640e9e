#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "descriptor.h"

namespace twl::tools {

// The folder NetworkManager keeps system-wide connection profiles in.
class KeyfileFolder {
  public:
    struct Written {
        std::filesystem::path path;  // empty on failure
        std::string error;
    };

    explicit KeyfileFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // /etc/NetworkManager/system-connections, whoever runs the tool and with
    // whatever environment.
    static KeyfileFolder systemConnections();

    // Writes the text as a new file named after the connection, readable by
    // root alone (0600), all at once: NetworkManager never sees half a file,
    // and no existing file is ever replaced.
    Written writeNew(const std::string& connectionName, const std::string& text) const;

    // Held while the descriptor is open (invalid when the folder cannot be
    // locked): runs of the tool take turns, so none takes another's file in
    // the making for a leftover.
    Descriptor lock() const;

    // Removes what only a killed run of writeNew leaves: its temporary files.
    void removeTemporaries(const std::string& connectionName) const;

    // The files writeNew names after the connection.
    std::vector<std::filesystem::path> keyfilesOf(const std::string& connectionName) const;

    const std::filesystem::path& path() const { return folder_; }

  private:
    std::filesystem::path folder_;
};

// A file name for the connection: characters other than letters, digits, '-',
// '_' and '.' become '_', and it never starts with a dot.
std::string keyfileBaseName(const std::string& connectionName);

}  // namespace twl::tools
