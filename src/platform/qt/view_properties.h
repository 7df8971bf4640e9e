#pragma once

// Dynamic properties that screens set on the client's field classes, which
// paint what they name themselves (see CentredLineEdit).
namespace twl::view_property {

// QFont / QColor of a field's placeholder.
inline constexpr char placeholderFont[] = "placeholderFont";
inline constexpr char placeholderColor[] = "placeholderColor";

}  // namespace twl::view_property
