# libmypaint draws the same points at the same radius and spacing as the reference.
pkg_check_modules(MYPAINT REQUIRED IMPORTED_TARGET libmypaint)
target_link_libraries(${target} PRIVATE PkgConfig::MYPAINT)
