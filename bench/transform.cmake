# pixman's transformed OVER (nearest and bilinear) is the reference for the free transform's mapping.
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
target_link_libraries(${target} PRIVATE PkgConfig::PIXMAN)
