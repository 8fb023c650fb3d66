# libpng writes and reads the same layers as the reference; pixman composes them for the load.
find_package(PNG REQUIRED)
target_link_libraries(${target} PRIVATE PNG::PNG)
find_package(PkgConfig REQUIRED)
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
target_link_libraries(${target} PRIVATE PkgConfig::PIXMAN)
