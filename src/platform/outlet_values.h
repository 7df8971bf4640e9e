#pragma once

#include <memory>
#include <string>

// Reading and setting what an outlet shows. An outlet is held weakly: one that
// is not there (its layout lacks it, or it has gone) reads as empty and takes
// no change.
namespace twl::outlets {

template <typename Field>
std::string stringValueOf(const std::weak_ptr<Field>& outlet) {
    const auto field = outlet.lock();
    return field ? field->stringValue() : std::string();
}

template <typename Field>
void setStringValue(const std::weak_ptr<Field>& outlet, const std::string& value) {
    if (auto field = outlet.lock()) {
        field->setStringValue(value);
    }
}

template <typename View>
void setHidden(const std::weak_ptr<View>& outlet, bool hidden) {
    if (auto view = outlet.lock()) {
        view->setHidden(hidden);
    }
}

template <typename Control>
void setEnabled(const std::weak_ptr<Control>& outlet, bool enabled) {
    if (auto control = outlet.lock()) {
        control->setEnabled(enabled);
    }
}

template <typename Button>
void setTitle(const std::weak_ptr<Button>& outlet, const std::string& title) {
    if (auto button = outlet.lock()) {
        button->setTitle(title);
    }
}

}  // namespace twl::outlets
