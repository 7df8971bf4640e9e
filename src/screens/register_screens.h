#pragma once

namespace twl {

class AppContext;
class Storyboard;

// Fills the storyboard "Main" with a factory for each screen that exists. Each
// factory makes a fresh controller on the given context.
void registerScreens(Storyboard& storyboard, AppContext& ctx);

}  // namespace twl
