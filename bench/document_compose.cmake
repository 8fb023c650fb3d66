# pixman OVER with solid masks is the reference for composing the layers of a document.
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
target_link_libraries(${target} PRIVATE PkgConfig::PIXMAN)
