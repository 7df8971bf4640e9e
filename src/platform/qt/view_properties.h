#pragma once

// Dynamic properties that layouts (.ui files) and the view facades share. A
// widget class may also declare them as Q_PROPERTY to act on them itself.
namespace twl::view_property {

// bool: the view has a backing layer (set in a layout, or by setWantsLayer).
inline constexpr char wantsLayer[] = "wantsLayer";
// QString, a JSON object: the view has a tracking area with this user info;
// pointer enter and exit over it reach the screen's mouseEntered/mouseExited.
inline constexpr char trackingUserInfo[] = "trackingUserInfo";
// QFont / QColor of a field's placeholder and caret, for field classes that
// paint them themselves.
inline constexpr char placeholderFont[] = "placeholderFont";
inline constexpr char placeholderColor[] = "placeholderColor";
inline constexpr char insertionPointColor[] = "insertionPointColor";
// QString: the name of the image an image view shows.
inline constexpr char imageName[] = "imageName";
// QColor: the layer's colours.
inline constexpr char layerBackgroundColor[] = "layerBackgroundColor";
inline constexpr char layerBorderColor[] = "layerBorderColor";
// QSize: the size the layout was drawn at; windows take it for their content.
inline constexpr char designSize[] = "designSize";
// bool: a holder for views that left their window; not a superview.
inline constexpr char parking[] = "twlParking";

}  // namespace twl::view_property
