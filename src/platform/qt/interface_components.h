#pragma once

class QApplication;

namespace twl {

// Installs the client's look and feel that needs no screen's help: the style
// with the pointing-hand cursor over every button and table view (see
// PointingHandStyle), wrapped around the style the application has now, and
// the artwork (registerInterfaceArtwork). Call once the QApplication exists,
// before or after windows are made; a second call changes nothing.
void installInterfaceComponents(QApplication& app);

// Makes the artwork loadable as ":/images/<name>.png" ("menubar",
// "menubar_hover", "checked", "uncheck", "tidewaterlink"; @2x variants beside
// the first four). It is compiled into a static library, so it must be
// registered by a call; repeating the call changes nothing.
void registerInterfaceArtwork();

}  // namespace twl
