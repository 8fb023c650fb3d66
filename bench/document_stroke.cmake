# libmypaint draws the same path at the same radius and spacing as the reference.
pkg_check_modules(MYPAINT REQUIRED IMPORTED_TARGET libmypaint)
target_link_libraries(${target} PRIVATE PkgConfig::MYPAINT)
# pixman composes the peer's dirty rectangles into a display image.
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
target_link_libraries(${target} PRIVATE PkgConfig::PIXMAN)
