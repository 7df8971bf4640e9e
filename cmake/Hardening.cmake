# The shipped programs are built hardened: stack protector, fortified libc
# calls, stack clash protection, control-flow protection on x86-64, PIE and
# full RELRO. Optimised builds only: fortify needs optimisation, and the
# sanitizer and fuzz builds bring their own checks.
set(_twl_optimised_types Release RelWithDebInfo MinSizeRel)
set(TIDEWATERLINK_HARDENED OFF)
if(CMAKE_BUILD_TYPE IN_LIST _twl_optimised_types AND NOT TIDEWATERLINK_SANITIZE
   AND NOT TIDEWATERLINK_FUZZ)
  add_compile_options(-fstack-protector-strong -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2
                      -fstack-clash-protection)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
    add_compile_options(-fcf-protection)
  endif()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()
  add_link_options(-Wl,-z,relro,-z,now)
  set(TIDEWATERLINK_HARDENED ON)
endif()
