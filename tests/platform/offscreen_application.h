#pragma once

class QApplication;

namespace twl::testing {

// The test program's QApplication, on the offscreen platform so that widget
// tests need no display and draw the same everywhere. It is made before the
// first test and destroyed after the last one, while Qt's own globals are
// still alive (a function-local static would be destroyed after them).
QApplication& offscreenApplication();

}  // namespace twl::testing
