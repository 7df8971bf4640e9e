#include "account_book.h"

#include <fstream>
#include <stdexcept>

namespace twl::devprovider {
namespace {

std::string member(const nlohmann::json& entry, const char* name) {
    const auto found = entry.find(name);
    if (found == entry.end() || !found->is_string()) {
        throw std::runtime_error(std::string("each account needs the string \"") + name + "\"");
    }
    return found->get<std::string>();
}

}  // namespace

AccountBook AccountBook::load(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) {
        throw std::runtime_error("devprovider: cannot read accounts file " + file.string());
    }
    try {
        const nlohmann::json entries = nlohmann::json::parse(in);
        if (!entries.is_array()) {
            throw std::runtime_error("the accounts file holds an array");
        }
        std::vector<Account> accounts;
        for (const auto& entry : entries) {
            accounts.push_back(Account{member(entry, "user"), member(entry, "password"),
                                       member(entry, "status"), member(entry, "message")});
        }
        return AccountBook(std::move(accounts));
    } catch (const std::exception& e) {
        throw std::runtime_error("devprovider: bad accounts file " + file.string() + ": " +
                                 e.what());
    }
}

nlohmann::json AccountBook::answer(const std::string& user, const std::string& password) const {
    for (const auto& account : accounts_) {
        if (account.user == user && account.password == password) {
            return {
                {"response", "success"}, {"status", account.status}, {"message", account.message}};
        }
    }
    return {{"response", "error"}, {"message", "Invalid username or password"}};
}

}  // namespace twl::devprovider
