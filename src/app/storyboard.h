#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace twl {

class ViewController;

// The storyboard "Main": screen identifiers and the factories that make a fresh
// controller for each. Screens never hold each other; they meet here.
class Storyboard {
  public:
    // Makes a controller that knows the identifier it was made for.
    using Factory = std::function<std::shared_ptr<ViewController>(const std::string& identifier)>;

    void registerController(const std::string& identifier, Factory factory);

    // A new controller, or nothing for an identifier that has no screen (yet).
    std::shared_ptr<ViewController> instantiateControllerWithIdentifier(
        const std::string& identifier) const;

  private:
    std::map<std::string, Factory, std::less<>> factories_;
};

}  // namespace twl
