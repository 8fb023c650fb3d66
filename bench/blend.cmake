# pixman is the reference for the normal put: its OVER on the same pixels.
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
target_link_libraries(${target} PRIVATE PkgConfig::PIXMAN)
