#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace twl::devprovider {

struct Account {
    std::string user;
    std::string password;
    std::string status;   // "Paid" lets the account in
    std::string message;  // the reason shown when it may not
};

// The accounts the provider knows, from a JSON file: an array of objects with
// the string members "user", "password", "status" and "message".
class AccountBook {
  public:
    // Throws std::runtime_error when the file cannot be read or has another shape.
    static AccountBook load(const std::filesystem::path& file);

    explicit AccountBook(std::vector<Account> accounts) : accounts_(std::move(accounts)) {}

    // The account web API's reply to get_user: byte-exact, case-sensitive matching.
    nlohmann::json answer(const std::string& user, const std::string& password) const;

  private:
    std::vector<Account> accounts_;
};

}  // namespace twl::devprovider
