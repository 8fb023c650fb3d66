# Magick++ (ImageMagick 6, libmagick++-6.q16-dev: scripts/peers or scripts/bench installs it) reads
# and writes the same layered file as the reference, on one thread.
find_package(PkgConfig REQUIRED)
pkg_check_modules(MAGICKPP REQUIRED IMPORTED_TARGET Magick++)
target_link_libraries(${target} PRIVATE PkgConfig::MAGICKPP)
