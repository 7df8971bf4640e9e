# Warnings are errors for the project's own code only.
add_library(twl_warnings INTERFACE)
target_compile_options(twl_warnings INTERFACE -Wall -Wextra -Wpedantic -Werror)
