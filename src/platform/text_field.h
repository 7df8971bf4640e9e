#pragma once

#include <string>

#include "platform/attributed_string.h"
#include "platform/color.h"
#include "platform/view.h"

namespace twl {

// A single-line text: an editable field or a label. A field sends its action
// when the user presses Return in it.
class TextField : public View {
  public:
    virtual std::string stringValue() const = 0;
    virtual void setStringValue(const std::string& value) = 0;

    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;

    // Shown while the field is empty; labels ignore it.
    virtual void setPlaceholderAttributedString(const AttributedString& placeholder) = 0;
    virtual AttributedString placeholderAttributedString() const = 0;

    // The colour of the text cursor while the field is being edited.
    virtual void setInsertionPointColor(const Color& color) = 0;
};

}  // namespace twl
