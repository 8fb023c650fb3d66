# libmypaint's dabs on its fixed tiled surface are the reference for the version-5 dab. Its tile
# processing uses OpenMP; the benchmark holds it to one thread, as the dab engine runs on one.
pkg_check_modules(MYPAINT REQUIRED IMPORTED_TARGET libmypaint)
find_package(OpenMP REQUIRED COMPONENTS CXX)
target_link_libraries(${target} PRIVATE kavrin_paint PkgConfig::MYPAINT OpenMP::OpenMP_CXX)
