# pixman's OVER is the reference for compositing a layer onto a canvas.
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
target_link_libraries(${target} PRIVATE PkgConfig::PIXMAN)
