# pixman's OVER is the reference for compositing a layer onto a canvas. The tiled images live in
# kavrin_core, named here as well: the chain's top library is not always above it.
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
target_link_libraries(${target} PRIVATE kavrin_core PkgConfig::PIXMAN)
